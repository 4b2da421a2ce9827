// The host's Info panel: the lines an effect draws there through the advanced app suite, kept
// per host so tests can read what the user would see.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace huewarp::host {

/// The two lines of one PF_InfoDrawText; a null line shows as empty.
struct InfoLines {
  std::string line1, line2;
  bool operator==(const InfoLines &) const = default;
};

/// Thread-safe.
class InfoPanel {
 public:
  void DrawText(const char *line1, const char *line2);
  /// What the panel shows now (empty before any draw).
  InfoLines Lines() const;
  /// Every draw so far, oldest first.
  std::vector<InfoLines> History() const;

 private:
  mutable std::mutex mutex_;
  std::vector<InfoLines> history_;
};

}  // namespace huewarp::host
