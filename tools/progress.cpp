#include "tools/progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace huewarp::tool {

Progress::Progress(long total) : total_(total), terminal_(isatty(STDERR_FILENO) != 0) {}

void Progress::FrameDone(long frame) {
  std::lock_guard lock(mutex_);
  ++done_;
  if (!terminal_) {
    std::fprintf(stderr, "huewarp: frame %ld written (%ld of %ld)\n", frame, done_, total_);
    return;
  }
  constexpr int kWidth = 40;
  const int filled = static_cast<int>(kWidth * done_ / total_);
  std::fprintf(stderr, "\rhuewarp: [%s%s] %ld/%ld frames", std::string(filled, '#').c_str(),
               std::string(kWidth - filled, '.').c_str(), done_, total_);
  std::fflush(stderr);
  open_line_ = true;
}

void Progress::Finish() {
  std::lock_guard lock(mutex_);
  if (open_line_) std::fputc('\n', stderr);
  open_line_ = false;
}

}  // namespace huewarp::tool
