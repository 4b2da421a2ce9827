// Progress of a sequence or a movie on stderr: on a terminal, a bar redrawn in place with the
// frames done of the total, the frames per second and the time left; plain lines otherwise (logs
// and pipes); nothing when quiet. Frames finish on several threads; the reporter serialises them.
#pragma once

#include <chrono>
#include <mutex>

namespace huewarp::tool {

class Progress {
 public:
  /// `total` frames, 0 when not known beforehand.
  Progress(long total, bool quiet);
  /// One more frame is written.
  void FrameDone(long frame);
  /// Ends the bar's line.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;

  std::mutex mutex_;
  long total_;
  long done_ = 0;
  bool quiet_;
  bool terminal_;
  bool open_line_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point drawn_{};
};

}  // namespace huewarp::tool
