#include "host/core/ledger.h"

namespace huewarp::host {

const char *ResourceName(Resource kind) {
  switch (kind) {
    case Resource::kSuite:
      return "suite";
    case Resource::kHandleLock:
      return "handle lock";
    case Resource::kStream:
      return "stream";
    case Resource::kEffectRef:
      return "effect reference";
    case Resource::kDrawbotObject:
      return "Drawbot object";
    case Resource::kParamCheckout:
      return "parameter checkout";
    case Resource::kUndoGroup:
      return "undo group";
  }
  return "resource";
}

void Ledger::Acquire(Resource kind, const std::string &key, const std::string &origin) {
  std::lock_guard lock(mutex_);
  Holding &h = held_[{kind, key}];
  ++h.count;
  h.origin = origin;
}

void Ledger::Release(Resource kind, const std::string &key, const std::string &origin) {
  std::lock_guard lock(mutex_);
  auto it = held_.find({kind, key});
  if (it == held_.end() || it->second.count == 0) {
    violations_.push_back(std::string(ResourceName(kind)) + " " + key + " released by " + origin +
                          " but not held");
    return;
  }
  if (--it->second.count == 0) held_.erase(it);
}

std::vector<std::string> Ledger::TakeViolations() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out = std::move(violations_);
  violations_.clear();
  for (const auto &[key, holding] : held_) {
    // Effect references have no release call in the suites an effect gets, and effects need not
    // check parameters in: the host ends both with the command.
    if (key.first == Resource::kEffectRef || key.first == Resource::kParamCheckout) continue;
    out.push_back(std::string(ResourceName(key.first)) + " " + key.second + " acquired by " +
                  holding.origin + " still held (" + std::to_string(holding.count) + ")");
  }
  held_.clear();
  return out;
}

int Ledger::Outstanding(Resource kind) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const auto &[key, holding] : held_) {
    if (key.first == kind) n += holding.count;
  }
  return n;
}

}  // namespace huewarp::host
