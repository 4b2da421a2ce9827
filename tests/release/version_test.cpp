// The version as every built file shows it, against project()'s: the About text and global
// setup; on Windows the property list and the version resource, as the host and Explorer read
// them; on Linux `huewarp --version`, which also says where an installed tool finds its module.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/core/host.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace huewarp::testing {
namespace {

const std::string kVersion = HUEWARP_PROJECT_VERSION;
/// Part i of the version: 0 major, 1 minor, 2 bug fix.
unsigned Part(int i) {
  std::size_t at = 0;
  for (int k = 0; k < i; ++k) at = kVersion.find('.', at) + 1;
  return std::stoul(kVersion.substr(at));
}

TEST(Version, AboutTextAndGlobalSetup) {
  host::Host host(HUEWARP_MODULE_PATH);
  ASSERT_EQ(host.Register(), 0);
  EXPECT_EQ(host.About().out.return_msg, "Huewarp v" + kVersion + "\r\nYou matter.");
  EXPECT_EQ(host.GlobalSetup().out.my_version,
            PF_VERSION(Part(0), Part(1), Part(2), PF_Stage_DEVELOP, HUEWARP_BUILD_NUMBER));
}

#ifdef _WIN32
TEST(Version, PropertyListAndVersionResource) {
  HMODULE module = LoadLibraryExA(HUEWARP_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC pipl = FindResourceA(module, MAKEINTRESOURCEA(16000), "PIPL");
  ASSERT_NE(pipl, nullptr);
  const auto *bytes = static_cast<const char *>(LockResource(LoadResource(module, pipl)));
  const std::string list(bytes, SizeofResource(module, pipl));
  const std::size_t key = list.find("REVe");  // 'eVER' as stored; its value follows id and size
  ASSERT_NE(key, std::string::npos);
  DWORD packed = 0;
  list.copy(reinterpret_cast<char *>(&packed), 4, key + 12);
  EXPECT_EQ(packed, PF_VERSION(Part(0), Part(1), Part(2), PF_Stage_DEVELOP, HUEWARP_BUILD_NUMBER));
  FreeLibrary(module);

  std::vector<char> info(GetFileVersionInfoSizeA(HUEWARP_MODULE_PATH, nullptr));
  ASSERT_TRUE(GetFileVersionInfoA(HUEWARP_MODULE_PATH, 0, info.size(), info.data()));
  auto query = [&](const std::string &path) {
    void *value = nullptr;
    UINT size = 0;
    return VerQueryValueA(info.data(), path.c_str(), &value, &size) ? value : nullptr;
  };
  const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(query("\\"));
  ASSERT_NE(fixed, nullptr);
  const DWORD high = Part(0) << 16 | Part(1), low = Part(2) << 16 | HUEWARP_BUILD_NUMBER;
  EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
            std::vector<DWORD>({high, low, high, low}));
  for (const auto &[name, expected] : {std::pair{"FileVersion", kVersion},
                                       {"ProductVersion", kVersion},
                                       {"ProductName", std::string("Huewarp")}}) {
    const char *value =
        static_cast<const char *>(query("\\StringFileInfo\\040904b0\\" + std::string(name)));
    EXPECT_EQ(value ? value : "", expected) << name;
  }
  for (const char *name : {"FileDescription", "LegalCopyright"}) {
    EXPECT_NE(query("\\StringFileInfo\\040904b0\\" + std::string(name)), nullptr) << name;
  }
}
#endif

#ifdef HUEWARP_TOOL_PATH
// The tool copied into a prefix with the module at each place it may be installed; it must take
// the first of lib/huewarp/ and its own folder, and the build's module only when neither has one.
struct Layout {
  const char *name;
  std::vector<std::string> modules;  // relative to the prefix; the first is the one expected
};

class InstalledTool : public ::testing::TestWithParam<Layout> {};

TEST_P(InstalledTool, VersionNamesTheModuleItFound) {
  namespace fs = std::filesystem;
  const fs::path prefix =
      fs::temp_directory_path() / ("huewarp-layout-" + std::to_string(getpid()));
  fs::remove_all(prefix);
  fs::create_directories(prefix / "bin");
  fs::copy_file(HUEWARP_TOOL_PATH, prefix / "bin/huewarp");
  for (const std::string &module : GetParam().modules) {
    fs::create_directories((prefix / module).parent_path());
    fs::copy_file(HUEWARP_MODULE_PATH, prefix / module);
  }
  std::string out;
  FILE *tool = popen(
      ("env -u HUEWARP_MODULE " + (prefix / "bin/huewarp").string() + " --version").c_str(), "r");
  ASSERT_NE(tool, nullptr);
  for (int c; (c = std::fgetc(tool)) != EOF;) out += static_cast<char>(c);
  EXPECT_EQ(pclose(tool), 0);
  fs::remove_all(prefix);
  const std::string module =
      GetParam().modules.empty() ? HUEWARP_MODULE_PATH : (prefix / GetParam().modules[0]).string();
  EXPECT_EQ(out, "huewarp " + kVersion + "\nmodule " + kVersion + " " + module + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, InstalledTool,
    ::testing::Values(Layout{"Package", {"lib/huewarp/Huewarp.so", "bin/Huewarp.so"}},
                      Layout{"BesideTheTool", {"bin/Huewarp.so"}}, Layout{"BuildTree", {}}),
    [](const auto &info) { return std::string(info.param.name); });
#endif

}  // namespace
}  // namespace huewarp::testing
