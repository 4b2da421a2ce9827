// Change handling through the host: a user's change to a supervised parameter, what the effect
// writes back into the proxies, the slots, their hidden flags and the ArbData record, the
// collapsed refreshes, undo of the whole action, Premiere Pro.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "gesture_fixture.h"
#include "host/instance/supervision.h"
#include "host/instance/undo.h"
#include "host/ui/events.h"
#include "params/arb_data.h"
#include "core/param_layout.h"

namespace huewarp::testing {
namespace {

using host::ParamValue;
using Bytes = std::vector<std::uint8_t>;

constexpr PF_PixelFloat kDefault{1, 5 / 255.f, 230 / 255.f, 215 / 255.f};  // "Color", Color 3

Bytes RecordBytes(SetUpInstance &s) {
  return HandleBytes(*s.host, s.instance->Records().Value(kArbDataIndex));
}
std::array<float, 4> Channels(const PF_PixelFloat &c) { return {c.alpha, c.red, c.green, c.blue}; }
PF_Err UserSets(SetUpInstance &s, PF_ParamIndex index, ParamValue value) {
  const host::UserChange change = host::UserSetsValue(*s.instance, index, value);
  return change.err ? change.err : change.command.err;
}

struct ProxyCase {
  const char *name;
  bool lock;
  PF_ParamIndex index;
  ParamValue value;
  /// Afterwards: "Position", Position 3, "Alpha Position", Alpha 3 Position, "Alpha Value",
  /// Alpha 3 Value, then the record's last_position, last_alpha_position, last_alpha_value.
  std::array<double, 9> floats;
  /// "Color", Color 3 and the record's last_color.
  std::array<PF_PixelFloat, 3> colors = {kDefault, kDefault, kDefault};
};
void PrintTo(const ProxyCase &c, std::ostream *os) { *os << c.name; }

class ProxyEdits : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyEdits, ReachTheOtherSideOfThePair) {
  const ProxyCase &c = GetParam();
  SetUpInstance s = Editor({.lock = c.lock});
  ASSERT_EQ(UserSets(s, c.index, c.value), 0);
  const ArbData r = RecordOf(s);
  const std::array<double, 9> floats = {Float(s, kPositionIndex),
                                        Float(s, PositionSlotIndex(3)),
                                        Float(s, kAlphaPositionIndex),
                                        Float(s, AlphaPositionSlotIndex(3)),
                                        Float(s, kAlphaValueIndex),
                                        Float(s, AlphaValueSlotIndex(3)),
                                        r.last_position,
                                        r.last_alpha_position,
                                        r.last_alpha_value};
  EXPECT_EQ(floats, c.floats);
  EXPECT_EQ(Channels(s.instance->ValueAt(kColorIndex, 0).AsColorFloat()), Channels(c.colors[0]));
  EXPECT_EQ(Channels(s.instance->ValueAt(ColorSlotIndex(3), 0).AsColorFloat()),
            Channels(c.colors[1]));
  EXPECT_EQ(Channels(r.last_color), Channels(c.colors[2]));
  EXPECT_EQ(s.instance->Panel().Refreshes(), 1);
}

constexpr PF_PixelFloat kTealHalf{0.5f, 0.2f, 0.4f, 0.6f}, kTeal{1, 0.2f, 0.4f, 0.6f};
constexpr PF_PixelFloat kRose{1, 0.9f, 0.1f, 0.3f};
constexpr PF_PixelFloat kNearDefault{1, 5 / 255.f + 0.0009f, 230 / 255.f, 215 / 255.f};
constexpr double kThird = 33.333333333, kThirdF32 = 33.33333206176758;

// With the lock on, a moved stop moves its handle, whose change then reaches "Alpha Position".
ProxyCase Case(const char *name, bool lock, PF_ParamIndex index, ParamValue value,
               std::array<double, 9> floats,
               std::array<PF_PixelFloat, 3> colors = {kDefault, kDefault, kDefault}) {
  return {name, lock, index, value, floats, colors};
}
const ProxyCase kProxyCases[] = {
    Case("ColorIntoStopOpaque", true, kColorIndex, ParamValue::Color(kTealHalf),
         {50, 50, 50, 50, 100, 100, 50, 50, 100}, {kTealHalf, kTeal, kTealHalf}),
    Case("ColorStopIntoProxy", true, ColorSlotIndex(3), ParamValue::Color(kRose),
         {50, 50, 50, 50, 100, 100, 50, 50, 100}, {kRose, kRose, kRose}),
    Case("ColorWithinTolerance", true, kColorIndex, ParamValue::Color(kNearDefault),
         {50, 50, 50, 50, 100, 100, 50, 50, 100}, {kNearDefault, kDefault, kDefault}),
    Case("PositionLocked", true, kPositionIndex, ParamValue::Float(60),
         {60, 60, 60, 60, 100, 100, 60, 50, 100}),
    Case("PositionSlotIntoProxy", true, PositionSlotIndex(3), ParamValue::Float(42),
         {42, 42, 42, 42, 100, 100, 50, 50, 100}),
    Case("PositionThroughF32", true, kPositionIndex, ParamValue::Float(kThird),
         {kThird, kThirdF32, kThirdF32, kThirdF32, 100, 100, kThird, 50, 100}),
    Case("AlphaPositionUnlocked", false, kAlphaPositionIndex, ParamValue::Float(70),
         {50, 50, 70, 70, 100, 100, 50, 70, 100}),
    Case("AlphaValue", true, kAlphaValueIndex, ParamValue::Float(40),
         {50, 50, 50, 50, 40, 40, 50, 50, 40}),
};
INSTANTIATE_TEST_SUITE_P(UserChanges, ProxyEdits, ::testing::ValuesIn(kProxyCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(UserChangedParam, FirstChangeOnAFreshInstanceWritesColorIntoTheCurrentStop) {
  SetUpInstance s = MakeInstance();
  ArbData record = RecordOf(s);
  record.current_handle = 1;  // Color 1 differs from "Color", so the write shows
  WriteRecord(s, record);
  ASSERT_EQ(UserSets(s, kCycleScaleIndex, ParamValue::Float(2)), 0);
  EXPECT_EQ(Channels(s.instance->ValueAt(ColorSlotIndex(1), 0).AsColorFloat()), Channels(kDefault));
  EXPECT_EQ(Channels(RecordOf(s).last_color), Channels(kDefault));
}

// Colour stops 1..3 and alpha handles 1..5 in use; the lock goes on, then off again.
TEST(UserChangedParam, LockTiesHandlesToStopsAndUndoRestoresTheAction) {
  SetUpInstance s = Editor({.lock = false, .colors = {1, 2, 3}});
  for (int n = 1; n <= 3; ++n) s.instance->SetValue(PositionSlotIndex(n), ParamValue::Float(n));
  ArbData record = RecordOf(s);
  record.current_handle = 2;
  record.current_alpha_handle = 5;
  WriteRecord(s, record);
  const Bytes before = RecordBytes(s);

  ASSERT_EQ(UserSets(s, kLockAlphaHandlesIndex, ParamValue::Int(1)), 0);
  for (int n = 1; n <= 5; ++n) {
    EXPECT_EQ(s.instance->IsHidden(AlphaPositionSlotIndex(n)), n > 3) << n;
    EXPECT_EQ(s.instance->IsHidden(AlphaValueSlotIndex(n)), n > 3) << n;
    EXPECT_EQ(Float(s, AlphaPositionSlotIndex(n)), n <= 3 ? n : 25 * (n - 1));
  }
  EXPECT_TRUE(s.instance->IsHidden(kAlphaPositionIndex));
  EXPECT_EQ(Float(s, kAlphaPositionIndex), 2);
  record = RecordOf(s);
  EXPECT_EQ(
      (std::array<int, 3>{record.alpha_slots_used, record.current_alpha_handle, record.last_lock}),
      (std::array<int, 3>{3, 2, 1}));
  const Bytes after = RecordBytes(s);

  // One step, which restores values and the record exactly; flags set not undoably stay.
  host::UndoStack &history = s.instance->History();
  EXPECT_EQ(history.UndoNames(), std::vector<std::string>{"Lock Alpha Handles"});
  ASSERT_EQ(history.Undo(), 0);
  EXPECT_EQ(RecordBytes(s), before);
  EXPECT_EQ(s.instance->ValueAt(kLockAlphaHandlesIndex, 0).AsInt(), 0);
  EXPECT_EQ(Float(s, AlphaPositionSlotIndex(1)), 0);
  EXPECT_EQ(Float(s, kAlphaPositionIndex), 50);
  EXPECT_TRUE(s.instance->IsHidden(AlphaValueSlotIndex(4)));
  ASSERT_EQ(history.Redo(), 0);
  EXPECT_EQ(RecordBytes(s), after);
  EXPECT_EQ(Float(s, AlphaPositionSlotIndex(1)), 1);

  // Off again with alpha handle 1 current: the handles stay, and the refresh shows handle 1.
  record.current_alpha_handle = 1;
  WriteRecord(s, record);
  s.instance->Panel().Clear();
  ASSERT_EQ(UserSets(s, kLockAlphaHandlesIndex, ParamValue::Int(0)), 0);
  EXPECT_FALSE(s.instance->IsHidden(kAlphaPositionIndex));
  for (int n = 1; n <= 3; ++n) {
    EXPECT_FALSE(s.instance->IsHidden(AlphaPositionSlotIndex(n)));
    EXPECT_EQ(Float(s, AlphaPositionSlotIndex(n)), n);
  }
  EXPECT_EQ(RecordOf(s).last_lock, 0);
  std::vector<PF_ParamIndex> refreshed;
  for (const host::ControlsPanel::Update &update : s.instance->Panel().Updates()) {
    refreshed.push_back(update.index);
    EXPECT_EQ(update.flags,
              s.instance->Definition(update.index).flags | PF_ParamFlag_COLLAPSE_TWIRLY);
  }
  EXPECT_EQ(refreshed,
            (std::vector<PF_ParamIndex>{kPositionIndex, PositionSlotIndex(2), kAlphaPositionIndex,
                                        AlphaPositionSlotIndex(1), kAlphaValueIndex}));
}

TEST(UserChangedParam, PremiereProOnlyRefreshes) {
  SetUpInstance s = MakeInstance({.appl_id = host::kPremierePro});
  const Bytes before = RecordBytes(s);
  const host::UserChange change =
      host::UserSetsValue(*s.instance, kPositionIndex, ParamValue::Float(60));
  EXPECT_EQ(change.command.err, 0);
  EXPECT_TRUE(change.command.out.out_flags & PF_OutFlag_REFRESH_UI);
  EXPECT_TRUE(change.command.calls.empty() && change.changed.empty());
  EXPECT_EQ(RecordBytes(s), before);
}

// Without the AEGP reference no guarded step runs, but the record still takes the new values.
TEST(UserChangedParamFaults, NoEffectReferenceStillReconcilesTheRecord) {
  SetUpInstance s = Editor({.lock = false, .colors = {1, 2, 3}});
  s.host->Faults().Arm({.match = "AEGP_GetNewEffectForEffect", .code = 77, .persistent = true});
  EXPECT_EQ(UserSets(s, kLockAlphaHandlesIndex, ParamValue::Int(1)), 77);
  EXPECT_EQ(UserSets(s, kPositionIndex, ParamValue::Float(60)), 77);
  const ArbData record = RecordOf(s);
  EXPECT_EQ(record.last_lock, 1);
  EXPECT_EQ(record.alpha_slots_used, 3);
  EXPECT_EQ(record.last_position, 60);
  EXPECT_FALSE(s.instance->IsHidden(kAlphaPositionIndex));
  EXPECT_FALSE(s.instance->IsHidden(AlphaValueSlotIndex(4)));
  EXPECT_EQ(Float(s, PositionSlotIndex(3)), 50);
  EXPECT_TRUE(s.instance->Panel().Updates().empty());
  EXPECT_EQ(s.instance->Panel().Refreshes(), 2);
}

}  // namespace
}  // namespace huewarp::testing
