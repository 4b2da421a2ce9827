#include "tools/pending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

// Temporary files that exist right now, so that an interrupt (Ctrl-C) or a termination removes
// them too. The handler reads the slots without locks; unlink is safe in a signal handler.
constexpr int kSlots = 64;
std::atomic<const char *> g_live[kSlots];

extern "C" void RemoveLiveFiles(int signal_number) {
  for (auto &slot : g_live) {
    if (const char *path = slot.load()) unlink(path);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void Track(const char *path) {
  static std::once_flag installed;
  std::call_once(installed, [] {
    for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, RemoveLiveFiles);
  });
  for (auto &slot : g_live) {
    const char *empty = nullptr;
    if (slot.compare_exchange_strong(empty, path)) return;
  }
}

void Untrack(const char *path) {
  for (auto &slot : g_live) {
    const char *expected = path;
    if (slot.compare_exchange_strong(expected, nullptr)) return;
  }
}

}  // namespace

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
    const int fd = open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      Track(temp_path_.c_str());
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
  if (temp_path_.empty()) return;
  Untrack(temp_path_.c_str());
  if (!committed_) std::remove(temp_path_.c_str());
}

void PendingFile::Commit() {
  if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
    throw ToolError("cannot write " + Quoted(path_) + ": " + std::strerror(errno));
  }
  committed_ = true;
  Untrack(temp_path_.c_str());
}

}  // namespace huewarp::tool
