// The suites a host offers, keyed by name and version.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace huewarp::host {

class SuiteRegistry {
 public:
  void Add(const std::string &name, int32_t version, const void *table);
  /// Takes a suite away, as a host that lacks it.
  void Remove(const std::string &name, int32_t version);
  const void *Find(const std::string &name, int32_t version) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, int32_t>, const void *> tables_;
};

}  // namespace huewarp::host
