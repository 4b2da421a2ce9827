// The host's accounting of what an effect holds: suites, handle locks, streams, effect
// references and Drawbot objects. After every command the ledger must balance.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace huewarp::host {

/// Kinds of resource an effect holds. All must be given back before a command returns, except
/// effect references and parameter checkouts, which the host ends itself. An undo group the
/// effect opened counts too: it must close it in the same command.
enum class Resource {
  kSuite,
  kHandleLock,
  kStream,
  kEffectRef,
  kDrawbotObject,
  kParamCheckout,
  kUndoGroup
};

/// Thread-safe. Keys name the resource ("PF Handle Suite 2", a handle or stream number).
class Ledger {
 public:
  /// Records one acquisition; `origin` names the operation that made it, for leak reports.
  void Acquire(Resource kind, const std::string &key, const std::string &origin);
  /// Records one release; releasing what is not held is itself a violation.
  void Release(Resource kind, const std::string &key, const std::string &origin);

  /// Violations so far plus everything still held of the kinds that must balance; then clears.
  std::vector<std::string> TakeViolations();
  /// Outstanding count of one kind (tests read it to see what a command holds).
  int Outstanding(Resource kind) const;

 private:
  struct Holding {
    int count = 0;
    std::string origin;
  };
  mutable std::mutex mutex_;
  std::map<std::pair<Resource, std::string>, Holding> held_;
  std::vector<std::string> violations_;
};

const char *ResourceName(Resource kind);

}  // namespace huewarp::host
