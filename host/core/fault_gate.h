// The one gate every host operation passes first: it counts calls, records them, and makes a
// chosen call fail (by operation name or by call number, once or persistently).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace huewarp::host {

/// How an injected fault shows: an error code, or a null table, handle or result.
enum class FaultKind { kError, kNull };

/// The gate's answer for one call.
struct FaultDecision {
  bool fail = false;
  FaultKind kind = FaultKind::kError;
  int32_t code = 0;
};

/// One armed fault. `match` is an operation's published name ("AEGP_SetStreamValue") or its full
/// label with the detail in parentheses ("AcquireSuite(PF Handle Suite 2)"); `occurrence` counts
/// matching calls from 1. A rule with `call_number` > 0 matches the Nth call of any kind instead.
struct FaultRule {
  std::string match;
  int occurrence = 1;
  int call_number = 0;
  FaultKind kind = FaultKind::kError;
  int32_t code = 1;
  bool persistent = false;
};

/// Thread-safe: render commands may pass the gate from several threads.
class FaultGate {
 public:
  /// Consults the armed rules for one call and records it as "op" or "op(detail)".
  FaultDecision Check(std::string_view op, std::string_view detail = {});

  void Arm(FaultRule rule);
  /// Forgets rules, calls and fired faults; call numbers count from 1 again.
  void Reset();
  /// Whether calls are kept for Calls(): on by default, off for long runs (the tool, fuzzers),
  /// where the list would only grow. Call numbers count either way.
  void Record(bool on);

  std::vector<std::string> Calls() const;
  int Fired() const;

 private:
  struct ArmedRule {
    FaultRule rule;
    int seen = 0;
    bool spent = false;
  };
  mutable std::mutex mutex_;
  std::vector<ArmedRule> rules_;
  std::vector<std::string> calls_;
  bool recording_ = true;
  int count_ = 0;
  int fired_ = 0;
};

}  // namespace huewarp::host
