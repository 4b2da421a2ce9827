// An output file that appears only when it is complete: everything is written to a temporary
// file in the destination's folder, which Commit renames over the destination in one step.
// Until then a failure, an exception, an early return or an interrupt (SIGINT, SIGTERM, SIGHUP)
// removes the temporary file and leaves whatever was at the destination untouched.
#pragma once

#include <mutex>
#include <string>

namespace huewarp::tool {

/// Routes SIGINT, SIGTERM and SIGHUP to one thread that removes the temporary files and ends the
/// process with that signal. Call first in main, before any thread starts, so all inherit it.
void TakeInterrupts();

class PendingFile {
 public:
  /// Creates the temporary file at once, so an unwritable destination fails before any work.
  /// Throws ToolError "cannot write 'PATH': reason".
  explicit PendingFile(std::string path);
  ~PendingFile();
  PendingFile(const PendingFile &) = delete;
  PendingFile &operator=(const PendingFile &) = delete;

  const std::string &path() const { return path_; }
  /// Where to write; same folder and extension as the destination.
  const std::string &temp_path() const { return temp_path_; }
  /// Renames the temporary file to the destination; throws ToolError naming the destination.
  void Commit();

  /// Runs `open`, a writer opening temp_path() by name (which creates the file again if it is
  /// gone), under the interrupt's lock: a cleanup between the two would leave the file behind.
  template <class Open>
  decltype(auto) Opening(Open &&open) const {
    std::lock_guard lock(LiveFilesLock());
    return open(temp_path_);
  }

  /// Taken by creating, forgetting and opening temporary files, and for good by an interrupt.
  static std::mutex &LiveFilesLock();

 private:
  std::string path_;
  std::string temp_path_;
  bool committed_ = false;
};

}  // namespace huewarp::tool
