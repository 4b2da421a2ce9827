// Which colour-stop or alpha-handle slots are in use, and what adding and removing one does to the
// current slot and the stored loop bound. A slot is in use while its stream is not hidden; the
// caller supplies that answer as `hidden(n)` for a slot number n in 1..kMaxSlots. Every function
// asks lazily and in a fixed order (stopping as soon as it knows), because the caller's answers
// are host calls whose sequence is part of the effect's behaviour.
#pragma once

#include <algorithm>

#include "core/param_layout.h"

namespace huewarp {

/// The stored slot count as a loop bound: a damaged record cannot take a loop past the slots.
inline int SlotBound(int used) { return std::min(used, kMaxSlots); }

/// Calls `visit(n)` for each slot in use in 1..bound, in ascending order; each slot is asked
/// about just before its visit.
template <class Hidden, class Visit>
void ForEachSlotInUse(int bound, Hidden hidden, Visit visit) {
  for (int n = 1; n <= bound; ++n) {
    if (!hidden(n)) visit(n);
  }
}

/// The lowest hidden slot of all kMaxSlots, which "+" shows; 0 when every slot is in use.
template <class Hidden>
int FirstHiddenSlot(Hidden hidden) {
  for (int n = 1; n <= kMaxSlots; ++n) {
    if (hidden(n)) return n;
  }
  return 0;
}

/// At least two slots in use within 1..bound; "-" never removes the last one. Stops at two.
template <class Hidden>
bool SeveralSlotsInUse(int bound, Hidden hidden) {
  int in_use = 0;
  for (int n = 1; n <= bound && in_use < 2; ++n) in_use += !hidden(n);
  return in_use >= 2;
}

/// The slot that becomes current once `removed` is hidden: the nearest in use at or below it,
/// else the lowest in use within 1..bound, else slot 1.
template <class Hidden>
int NeighbourSlot(int removed, int bound, Hidden hidden) {
  for (int n = removed; n >= 1; --n) {
    if (!hidden(n)) return n;
  }
  for (int n = 1; n <= bound; ++n) {
    if (!hidden(n)) return n;
  }
  return 1;
}

/// The new loop bound after "+" or "-": the highest slot in use, asked from the top down; 1 when
/// none is.
template <class Hidden>
int HighestSlotInUse(Hidden hidden) {
  for (int n = kMaxSlots; n >= 1; --n) {
    if (!hidden(n)) return n;
  }
  return 1;
}

/// Slots that switching the lock on ties together: every slot either group may use.
inline int LockedSlotCount(int color_slots_used, int alpha_slots_used) {
  return SlotBound(std::max(color_slots_used, alpha_slots_used));
}

}  // namespace huewarp
