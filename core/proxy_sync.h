// How change handling brings a proxy pair ("Position" and Position N of the current stop, say)
// into line after a change: which side is copied, into which parameters and in what order, and
// whether the record remembers the value. Plain values only; the caller makes the writes.
#pragma once

#include <array>

#include "AE_Effect.h"
#include "core/reconcile_rules.h"

namespace huewarp {

/// A proxy, the slot it shows, and the slot that follows both while the alpha handles are locked
/// to the stops (0 when none does, or the lock is off).
struct ProxyPair {
  PF_ParamIndex proxy;
  PF_ParamIndex slot;
  PF_ParamIndex follower;
};

/// The in-place writes of one pair: `value` goes into `targets[0..count)` in order.
struct ProxySync {
  double value = 0;
  std::array<PF_ParamIndex, 2> targets{};
  int count = 0;
  /// The proxy was edited: the record's last value becomes `value`. A slot edit leaves it, as the
  /// proxy it describes did not move.
  bool remember = false;
};

/// The writes for a pair whose proxy, slot and last reconciled proxy values are given.
inline ProxySync SyncOf(const ProxyPair &pair, double last, double proxy, double slot) {
  ProxySync sync;
  switch (ProxyEditOf(last, proxy, slot)) {
    case ProxyEdit::kProxy:
      sync = {.value = proxy, .targets = {pair.slot}, .count = 1, .remember = true};
      break;
    case ProxyEdit::kSlot:
      sync = {.value = slot, .targets = {pair.proxy}, .count = 1};
      break;
    case ProxyEdit::kNone:
      return sync;
  }
  if (pair.follower) sync.targets[sync.count++] = pair.follower;
  return sync;
}

}  // namespace huewarp
