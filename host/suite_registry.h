// The suites a host offers, keyed by name and version, and the basic suite through which the
// effect acquires and releases them.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "SPBasic.h"

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

/// The basic suite table handed to the effect as `pica_basicP`.
SPBasicSuite *BasicSuite();

/// Registers every suite this host implements.
void RegisterStandardSuites(SuiteRegistry &registry);

}  // namespace huewarp::host
