// Progress of a sequence on stderr: a bar redrawn in place on a terminal, plain lines otherwise
// (logs and pipes). Frames finish on several threads; the reporter serialises them.
#pragma once

#include <mutex>

namespace huewarp::tool {

class Progress {
 public:
  /// `total` frames; the bar is drawn when stderr is a terminal.
  explicit Progress(long total);
  /// One more frame is written.
  void FrameDone(long frame);
  /// Ends the bar's line.
  void Finish();

 private:
  std::mutex mutex_;
  long total_;
  long done_ = 0;
  bool terminal_;
  bool open_line_ = false;
};

}  // namespace huewarp::tool
