#include "host/core/suite_registry.h"

namespace huewarp::host {

void SuiteRegistry::Add(const std::string &name, int32_t version, const void *table) {
  std::lock_guard lock(mutex_);
  tables_[{name, version}] = table;
}

void SuiteRegistry::Remove(const std::string &name, int32_t version) {
  std::lock_guard lock(mutex_);
  tables_.erase({name, version});
}

const void *SuiteRegistry::Find(const std::string &name, int32_t version) const {
  std::lock_guard lock(mutex_);
  auto it = tables_.find({name, version});
  return it == tables_.end() ? nullptr : it->second;
}

}  // namespace huewarp::host
