// The running error of a command: the first failure wins, and host calls after it are skipped.
// Releases and bookkeeping do not go through these; destructors run them on every path.
#pragma once

#include "AE_Effect.h"

namespace huewarp {

/// Keeps the first error: `err` takes `next` only while it is still 0.
inline void KeepFirst(PF_Err &err, PF_Err next) {
  if (!err) err = next;
}

/// Runs `step` only while `err` is 0 and keeps its result.
template <class Step>
void Guarded(PF_Err &err, Step step) {
  if (!err) err = step();
}

}  // namespace huewarp
