// Which colour-stop or alpha-handle slots are in use, and what adding and removing one does to the
// current slot and the stored loop bound. A slot is in use while its stream is not hidden; the
// caller supplies that answer as `hidden(n)` for a slot number n in 1..kMaxSlots. Every function
// asks lazily and in a fixed order (stopping as soon as it knows), because the caller's answers
// are host calls whose sequence is part of the effect's behaviour.
//
// The lock rule lives here too: while "Lock Alpha Handles" is on, alpha handle N follows colour
// stop N. It is shown and hidden with the stop, selected and counted with it, and takes its
// position; the click, the drag and change handling all ask these functions.
#pragma once

#include <algorithm>
#include <array>

#include "core/arb_data_record.h"
#include "core/param_layout.h"
#include "core/proxy_sync.h"

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

/// A few parameter indices, in the order they are shown, hidden or written.
struct ParamList {
  std::array<PF_ParamIndex, 4> index{};
  int count = 0;
  const PF_ParamIndex *begin() const { return index.data(); }
  const PF_ParamIndex *end() const { return index.data() + count; }
};

/// What alpha "+" shows and "-" hides of handle n.
inline ParamList HandleStreams(int n) {
  return {{AlphaValueSlotIndex(n), AlphaPositionSlotIndex(n)}, 2};
}

/// What colour "+" shows (`shown`) or "-" hides of stop n: its colour and position, and, locked,
/// handle n's streams, its position first when shown and its value first when hidden.
inline ParamList StopStreams(int n, bool locked, bool shown) {
  if (!locked) return {{ColorSlotIndex(n), PositionSlotIndex(n)}, 2};
  const PF_ParamIndex a = AlphaPositionSlotIndex(n), v = AlphaValueSlotIndex(n);
  return {{ColorSlotIndex(n), PositionSlotIndex(n), shown ? a : v, shown ? v : a}, 4};
}

/// Stop n becomes current; locked, handle n with it.
inline void SelectStop(ArbData &record, int n, bool locked) {
  record.current_handle = static_cast<std::uint16_t>(n);
  if (locked) record.current_alpha_handle = record.current_handle;
}

/// Handle n becomes current; locked, stop n with it.
inline void SelectHandle(ArbData &record, int n, bool locked) {
  record.current_alpha_handle = static_cast<std::uint16_t>(n);
  if (locked) record.current_handle = record.current_alpha_handle;
}

/// Once the stops are recounted: locked, the handles count as the stops do.
inline void CountHandlesWithStops(ArbData &record, bool locked) {
  if (locked) record.alpha_slots_used = record.color_slots_used;
}

/// Switching the lock on: the handles are counted and selected as the stops are.
inline void TieHandlesToStops(ArbData &record) {
  CountHandlesWithStops(record, true);
  record.current_alpha_handle = record.current_handle;
}

/// "Position" and stop n's position; locked, handle n's position follows them.
inline ProxyPair StopPositionPair(int n, bool locked) {
  return {kPositionIndex, PositionSlotIndex(n), locked ? AlphaPositionSlotIndex(n) : 0};
}

/// "Alpha Position" and handle n's position; locked, stop n's position follows them.
inline ProxyPair HandlePositionPair(int n, bool locked) {
  return {kAlphaPositionIndex, AlphaPositionSlotIndex(n), locked ? PositionSlotIndex(n) : 0};
}

/// Where a drag writes its position: the grabbed stop's and "Position", or the grabbed handle's;
/// locked, the current stop's, "Position" and the current handle's.
inline ParamList DraggedPositions(int stop, int handle, bool locked, bool alpha_grabbed) {
  if (locked) return {{PositionSlotIndex(stop), kPositionIndex, AlphaPositionSlotIndex(handle)}, 3};
  if (alpha_grabbed) return {{AlphaPositionSlotIndex(handle)}, 1};
  return {{PositionSlotIndex(stop), kPositionIndex}, 2};
}

}  // namespace huewarp
