#include "tools/pending_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tools/tool_error.h"

namespace huewarp::tool {

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
  if (!committed_ && !temp_path_.empty()) std::remove(temp_path_.c_str());
}

void PendingFile::Commit() {
  if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) {
    throw ToolError("cannot write " + Quoted(path_) + ": " + std::strerror(errno));
  }
  committed_ = true;
}

}  // namespace huewarp::tool
