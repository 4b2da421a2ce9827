#include "host/core/fault_gate.h"

namespace huewarp::host {

FaultDecision FaultGate::Check(std::string_view op, std::string_view detail) {
  std::lock_guard lock(mutex_);
  const int number = ++count_;
  if (!recording_ && rules_.empty()) return {};
  std::string label(op);
  if (!detail.empty()) {
    label += "(";
    label += detail;
    label += ")";
  }
  if (recording_) calls_.push_back(label);
  for (auto &armed : rules_) {
    if (armed.spent) continue;
    const FaultRule &rule = armed.rule;
    bool hit = false;
    if (rule.call_number > 0) {
      hit = rule.persistent ? number >= rule.call_number : number == rule.call_number;
    } else if (rule.match == op || rule.match == label) {
      ++armed.seen;
      hit = rule.persistent ? armed.seen >= rule.occurrence : armed.seen == rule.occurrence;
    }
    if (!hit) continue;
    if (!rule.persistent) armed.spent = true;
    ++fired_;
    return {true, rule.kind, rule.code};
  }
  return {};
}

void FaultGate::Arm(FaultRule rule) {
  std::lock_guard lock(mutex_);
  rules_.push_back({std::move(rule)});
}

void FaultGate::Reset() {
  std::lock_guard lock(mutex_);
  rules_.clear();
  calls_.clear();
  count_ = 0;
  fired_ = 0;
}

void FaultGate::Record(bool on) {
  std::lock_guard lock(mutex_);
  recording_ = on;
  if (!on) calls_.clear();
}

std::vector<std::string> FaultGate::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

int FaultGate::Fired() const {
  std::lock_guard lock(mutex_);
  return fired_;
}

}  // namespace huewarp::host
