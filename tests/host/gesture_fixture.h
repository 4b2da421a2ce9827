// An editor set up for gestures: which slots are shown, the lock and the current slots, and a
// snapshot of everything a gesture can change (hidden flags, values, the ArbData bytes) to
// compare before, after, undone and redone.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "editor_fixture.h"
#include "host/ui/gestures.h"
#include "host/instance/supervision.h"
#include "host/instance/undo.h"
#include "params/arb_data.h"

namespace huewarp::testing {

using Slots = std::set<int>;
inline const Slots kFirstFive{1, 2, 3, 4, 5};

/// Points over the control of kFrame, by their frame-relative offsets.
inline PF_Point At(int dh, int dv) { return {kFrame.left + dh, kFrame.top + dv}; }
/// Inside the click box of the marker whose click offset is `d`.
inline PF_Point StopMarker(int d) { return At(40, d + 5); }
inline PF_Point HandleMarker(int d) { return At(83, d + 5); }
inline const PF_Point kColorPlus = At(20, 70), kColorMinus = At(20, 91);
inline const PF_Point kAlphaPlus = At(105, 70), kAlphaMinus = At(105, 91);

inline ArbData RecordOf(SetUpInstance &s) {
  ArbData record;
  std::memcpy(&record, s.host->Handles().Data(s.instance->Records().Value(kArbDataIndex)),
              sizeof record);
  return record;
}
inline void WriteRecord(SetUpInstance &s, const ArbData &record) {
  std::memcpy(s.host->Handles().Data(s.instance->Records().Value(kArbDataIndex)), &record,
              sizeof record);
}
inline double Float(SetUpInstance &s, PF_ParamIndex index) {
  return s.instance->ValueAt(index, 0).AsFloat();
}

struct EditorState {
  bool lock = true;
  Slots colors = kFirstFive;
  Slots alphas = kFirstFive;
  int current = 3;
  int current_alpha = 3;
  /// Stored loop bounds; 0 takes the highest slot shown.
  int color_bound = 0;
  int alpha_bound = 0;
  /// Slider values set before the gesture.
  std::vector<std::pair<PF_ParamIndex, double>> values;
};

/// The default look after its first draw, brought to `state` and reconciled once; no undo steps
/// and no refreshes yet.
inline SetUpInstance Editor(const EditorState &state) {
  SetUpInstance s = DrawnInstance();
  using host::ParamValue;
  for (int n = 1; n <= kMaxSlots; ++n) {
    for (PF_ParamIndex i : {ColorSlotIndex(n), PositionSlotIndex(n)}) {
      s.instance->SetDynamicStreamFlag(i, AEGP_DynStreamFlag_HIDDEN, !state.colors.count(n));
    }
    for (PF_ParamIndex i : {AlphaPositionSlotIndex(n), AlphaValueSlotIndex(n)}) {
      s.instance->SetDynamicStreamFlag(i, AEGP_DynStreamFlag_HIDDEN, !state.alphas.count(n));
    }
  }
  for (const auto &[index, value] : state.values) {
    s.instance->SetValue(index, ParamValue::Float(value));
  }
  s.instance->SetValue(kLockAlphaHandlesIndex, ParamValue::Int(state.lock));
  s.instance->SetDynamicStreamFlag(kAlphaPositionIndex, AEGP_DynStreamFlag_HIDDEN, state.lock);
  ArbData record = RecordOf(s);
  record.current_handle = static_cast<std::uint16_t>(state.current);
  record.current_alpha_handle = static_cast<std::uint16_t>(state.current_alpha);
  record.color_slots_used =
      static_cast<std::uint16_t>(state.color_bound ? state.color_bound : *state.colors.rbegin());
  record.alpha_slots_used =
      static_cast<std::uint16_t>(state.alpha_bound ? state.alpha_bound : *state.alphas.rbegin());
  record.last_lock = state.lock;
  WriteRecord(s, record);
  EXPECT_EQ(host::SendUserChangedParam(*s.instance, kColorIndex).command.err, 0);
  s.instance->History().Clear();
  s.instance->Panel().Clear();
  return s;
}

/// Everything a gesture can change.
struct Snapshot {
  std::vector<AEGP_DynStreamFlags> flags;
  std::vector<std::optional<host::ParamValue>> values;
  std::vector<std::uint8_t> record;
  bool operator==(const Snapshot &) const = default;
};

inline Snapshot Snap(SetUpInstance &s) {
  Snapshot snap;
  for (PF_ParamIndex i = 1; i < s.instance->ParamCount(); ++i) {
    snap.flags.push_back(s.instance->DynamicStreamFlags(i));
    snap.values.push_back(s.instance->HasStream(i) ? std::optional(s.instance->ValueAt(i, 0))
                                                   : std::nullopt);
  }
  snap.record = HandleBytes(*s.host, s.instance->Records().Value(kArbDataIndex));
  return snap;
}

/// Hovers `point` and clicks there, then drags through `drags`.
inline host::GestureResult Gesture(SetUpInstance &s, PF_Point point,
                                   std::vector<PF_Point> drags = {}) {
  return host::PerformGesture(*s.instance, host::ClickAt(kFrame, point, std::move(drags)));
}

/// Undo gives back `before` exactly and redo `after`.
inline void ExpectUndoAndRedo(SetUpInstance &s, const Snapshot &before, const Snapshot &after) {
  host::UndoStack &history = s.instance->History();
  ASSERT_EQ(history.Undo(), 0);
  EXPECT_TRUE(Snap(s) == before) << "undo";
  ASSERT_EQ(history.Redo(), 0);
  EXPECT_TRUE(Snap(s) == after) << "redo";
}

}  // namespace huewarp::testing
