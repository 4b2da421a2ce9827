// The one place where the effect's own allocations (lists, ramps, per-frame tables) meet the
// host's error codes. A std::bad_alloc must never reach the host, yet suite failures (a thrown
// PF_Err) must still reach EffectMain, so only allocation failure is caught, and only here.
#pragma once

#include <new>
#include <utility>

#include "AE_Effect.h"

namespace huewarp {

/// Runs `build`, which may allocate. If an allocation fails, `err` becomes
/// PF_Err_OUT_OF_MEMORY unless it already holds an earlier error; whatever `build` had made is
/// released by its own destructors. Runs even when `err` is set, since callers build what they
/// have read so far.
template <class Build>
void Allocating(PF_Err &err, Build &&build) {
  try {
    std::forward<Build>(build)();
  } catch (const std::bad_alloc &) {
    if (!err) err = PF_Err_OUT_OF_MEMORY;
  }
}

}  // namespace huewarp
