#include "tools/pending_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

// Temporary files that exist right now. An interrupt is taken by one thread, under the same lock
// that creating, opening and forgetting a file take, so no file can appear after the cleanup.
std::set<std::string> g_live;

sigset_t Interrupts() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
  return set;
}

[[noreturn]] void CleanUpOnInterrupt(sigset_t set) {
  int signal_number = 0;
  while (sigwait(&set, &signal_number) != 0) {
  }
  std::lock_guard lock(PendingFile::LiveFilesLock());
  for (const std::string &path : g_live) unlink(path.c_str());
  // Ends the process with the signal's own status; the lock is never released.
  std::signal(signal_number, SIG_DFL);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &just_this, nullptr);
  raise(signal_number);
  _exit(128 + signal_number);
}

}  // namespace

std::mutex &PendingFile::LiveFilesLock() {
  static std::mutex lock;
  return lock;
}

void TakeInterrupts() {
  const sigset_t set = Interrupts();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread(CleanUpOnInterrupt, set).detach();
}

PendingFile::PendingFile(std::string path) : path_(std::move(path)) {
  static std::atomic<int> counter = 0;
  const std::filesystem::path destination(path_);
  if (destination.filename().empty()) {
    throw ToolError("cannot write " + Quoted(path_) + ": not a file name");
  }
  std::error_code ec;
  if (std::filesystem::is_directory(destination, ec)) {
    throw ToolError("cannot write " + Quoted(path_) + ": it is a folder");
  }
  // A hidden name that keeps the extension, so a left-over file is recognisable and the
  // destination's format is still the one its name says.
  for (int attempt = 0;; ++attempt) {
    const std::string name = ".huewarp-" + std::to_string(getpid()) + "-" +
                             std::to_string(counter++) + "-" + destination.filename().string();
    temp_path_ = (destination.parent_path() / name).string();
    std::lock_guard lock(PendingFile::LiveFilesLock());
    const int fd = open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      g_live.insert(temp_path_);
      return;
    }
    if (errno != EEXIST || attempt > 100) {
      const int error = errno;
      temp_path_.clear();
      throw ToolError("cannot write " + Quoted(path_) + ": " + std::strerror(error));
    }
  }
}

PendingFile::~PendingFile() {
  if (temp_path_.empty() || committed_) return;
  std::lock_guard lock(PendingFile::LiveFilesLock());
  std::remove(temp_path_.c_str());
  g_live.erase(temp_path_);
}

void PendingFile::Commit() {
  std::lock_guard lock(PendingFile::LiveFilesLock());
  if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
    throw ToolError("cannot write " + Quoted(path_) + ": " + std::strerror(errno));
  }
  committed_ = true;
  g_live.erase(temp_path_);
}

}  // namespace huewarp::tool
