#include "tools/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace huewarp::tool {
namespace {

std::string ClockText(double seconds) {
  const long s = std::lround(seconds);
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  }
  return text;
}

}  // namespace

Progress::Progress(long total, bool quiet)
    : total_(total), quiet_(quiet), terminal_(isatty(STDERR_FILENO) != 0) {}

void Progress::FrameDone(long frame) {
  if (quiet_) return;
  std::lock_guard lock(mutex_);
  ++done_;
  if (!terminal_) {
    if (total_ > 0) {
      std::fprintf(stderr, "huewarp: frame %ld written (%ld of %ld)\n", frame, done_, total_);
    } else {
      std::fprintf(stderr, "huewarp: frame %ld written (%ld)\n", frame, done_);
    }
    return;
  }
  // Redrawing costs more than a small frame renders; a few times a second is enough to read.
  const Clock::time_point now = Clock::now();
  if (now - drawn_ < std::chrono::milliseconds(100) && done_ != total_) return;
  drawn_ = now;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double fps = elapsed > 0 ? done_ / elapsed : 0;
  std::string line;
  if (total_ > 0) {
    constexpr int kWidth = 30;
    const long shown = std::min(done_, total_);
    const int filled = static_cast<int>(kWidth * shown / total_);
    line = "[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] " +
           std::to_string(done_) + "/" + std::to_string(total_) + " frames";
  } else {
    line = std::to_string(done_) + " frames";
  }
  char rate[64];
  std::snprintf(rate, sizeof rate, "  %.1f fps", fps);
  line += rate;
  if (total_ > 0 && fps > 0 && done_ < total_) {
    line += "  " + ClockText((total_ - done_) / fps) + " left";
  }
  // Trailing spaces wipe what a longer earlier line left.
  std::fprintf(stderr, "\rhuewarp: %s   ", line.c_str());
  std::fflush(stderr);
  open_line_ = true;
}

void Progress::Finish() {
  std::lock_guard lock(mutex_);
  if (open_line_) std::fputc('\n', stderr);
  open_line_ = false;
}

}  // namespace huewarp::tool
