// Runs a fuzz target's LLVMFuzzerTestOneInput on every file of the folders and files given,
// without libFuzzer, so the seed corpus and the kept crashes are replayed by every build. A
// broken expectation aborts inside the target; the last input named is the culprit.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg = argv[i];
    if (fs::is_regular_file(arg)) {
      inputs.push_back(arg);
    } else if (fs::is_directory(arg)) {
      for (const fs::directory_entry &entry : fs::directory_iterator(arg)) {
        // Dot files keep otherwise empty folders in version control.
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
          inputs.push_back(entry.path());
        }
      }
    } else {
      std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
      return 2;
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs to replay\n");
    return 2;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path &path : inputs) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return 0;
}
