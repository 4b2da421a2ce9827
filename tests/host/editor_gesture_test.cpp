// Gestures over the ColorGrid control through the host: grabbing and dragging markers with the
// lock on and off, the click boxes, drags outside the control, the "+" and "-" buttons with
// their named undo steps undone and redone, and the tool the click asks the host for.
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "gesture_fixture.h"
#include "host/suites/helper_suite.h"

namespace huewarp::testing {
namespace {

using host::ParamValue;

// Click offsets of the default stops at 0, 25, 50, 75 and 100.
constexpr int kD25 = 68, kD75 = 203;

struct MarkerCase {
  const char *name;
  EditorState state;
  host::Gesture gesture;
  int current, current_alpha;
  /// Slider values afterwards.
  std::vector<std::pair<PF_ParamIndex, double>> values;
};
void PrintTo(const MarkerCase &c, std::ostream *os) { *os << c.name; }

host::Gesture Grab(PF_Point hover, PF_Point click, std::vector<PF_Point> drags) {
  host::Gesture g;
  g.frame = kFrame;
  g.moves = {hover};
  g.click = click;
  g.drags = std::move(drags);
  return g;
}
host::Gesture Grab(PF_Point marker, std::vector<PF_Point> drags = {}) {
  return Grab(marker, marker, std::move(drags));
}

// Drags end 27 pixels below the top: 10.000000000000002, 10 once a slot takes it through f32.
constexpr double kTen = 10.000000000000002;
const std::vector<PF_Point> kToTen = {At(300, 150), At(0, 27)};

MarkerCase Marker(const char *name, EditorState state, host::Gesture gesture,
                  std::array<int, 2> current,
                  std::vector<std::pair<PF_ParamIndex, double>> values = {}) {
  return {name, std::move(state), std::move(gesture), current[0], current[1], std::move(values)};
}
const EditorState kLocked{}, kUnlocked{.lock = false};
const MarkerCase kMarkerCases[] = {
    Marker("StopLockedMovesItsHandle", kLocked, Grab(StopMarker(kD25), kToTen), {2, 2},
           {{kPositionIndex, kTen}, {PositionSlotIndex(2), 10}, {AlphaPositionSlotIndex(2), 10}}),
    Marker("StopUnlockedMovesAlone", kUnlocked, Grab(StopMarker(kD25), kToTen), {2, 3},
           {{kPositionIndex, kTen}, {PositionSlotIndex(2), 10}, {AlphaPositionSlotIndex(2), 25}}),
    Marker(
        "HandleUnlockedMovesAlone", kUnlocked, Grab(HandleMarker(kD75), kToTen), {3, 4},
        {{kAlphaPositionIndex, 10}, {AlphaPositionSlotIndex(4), 10}, {PositionSlotIndex(4), 75}}),
    Marker("HandleLockedMovesItsStop", kLocked, Grab(HandleMarker(kD75), kToTen), {4, 4},
           {{kPositionIndex, kTen}, {PositionSlotIndex(4), 10}, {AlphaPositionSlotIndex(4), 10}}),
    // The colour proxy shows the handle's stop at once, with no reconciliation in between.
    Marker("HandleLockedShowsItsStop", kLocked, Grab(HandleMarker(kD75)), {4, 4}),
    // Markers are tested against the pointer the host last reported, not the click.
    Marker("HoverDecides", kLocked, Grab(StopMarker(kD25), kNowhere, kToTen), {2, 2},
           {{PositionSlotIndex(2), 10}}),
    Marker("ClickWithoutHoverGrabsNothing", kLocked, Grab(kNowhere, StopMarker(kD25), kToTen),
           {3, 3}, {{PositionSlotIndex(2), 25}, {PositionSlotIndex(3), 50}}),
    Marker("OverlapPicksTheHigherSlot", {.lock = false, .values = {{PositionSlotIndex(4), 25}}},
           Grab(StopMarker(kD25), kToTen), {4, 3},
           {{PositionSlotIndex(4), 10}, {PositionSlotIndex(2), 25}}),
    Marker("HiddenStopIsNotGrabbed", {.lock = false, .colors = {1, 3, 4, 5}},
           Grab(StopMarker(kD25), kToTen), {3, 3}, {{PositionSlotIndex(2), 25}}),
};

class MarkerGestures : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerGestures, SelectAndDragAsOneUndoStep) {
  const MarkerCase &c = GetParam();
  SetUpInstance s = Editor(c.state);
  const Snapshot before = Snap(s);
  const host::GestureResult r = host::PerformGesture(*s.instance, c.gesture);
  ASSERT_EQ(r.err, 0);
  const ArbData record = RecordOf(s);
  EXPECT_EQ(record.current_handle, c.current);
  EXPECT_EQ(record.current_alpha_handle, c.current_alpha);
  for (const auto &[index, value] : c.values) EXPECT_EQ(Float(s, index), value) << index;
  const PF_PixelFloat shown = s.instance->ValueAt(kColorIndex, 0).AsColorFloat();
  const PF_PixelFloat stop = s.instance->ValueAt(ColorSlotIndex(c.current), 0).AsColorFloat();
  EXPECT_EQ(std::vector<float>({shown.red, shown.green, shown.blue}),
            std::vector<float>({stop.red, stop.green, stop.blue}));
  // Only a grab is followed by drags.
  EXPECT_EQ(r.drags.size(), record.current_handle != 3 || record.current_alpha_handle != 3
                                ? c.gesture.drags.size()
                                : 0u);

  const Snapshot after = Snap(s);
  if (after == before) return;
  EXPECT_EQ(s.instance->History().UndoNames(), std::vector<std::string>{"Output Range"});
  ExpectUndoAndRedo(s, before, after);
}
INSTANTIATE_TEST_SUITE_P(Editor, MarkerGestures, ::testing::ValuesIn(kMarkerCases),
                         [](const auto &info) { return std::string(info.param.name); });

// The click box rounds the position before scaling: 10.4 gives d = 27 and 10.6 gives d = 30,
// where the hover box has 28 and 29. It spans h = 37..51 and v = d + 1 .. d + 13.
struct BoxCase {
  double position;
  int dh, dv;
  bool hit;
};
void PrintTo(const BoxCase &c, std::ostream *os) {
  *os << c.position << " at (" << c.dh << ", " << c.dv << ")";
}
class MarkerClickBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MarkerClickBox, RoundsThePositionFirst) {
  const BoxCase &c = GetParam();
  SetUpInstance s = Editor({.lock = false, .values = {{PositionSlotIndex(1), c.position}}});
  ASSERT_EQ(Gesture(s, At(c.dh, c.dv)).err, 0);
  EXPECT_EQ(RecordOf(s).current_handle, c.hit ? 1 : 3);
}
INSTANTIATE_TEST_SUITE_P(
    Editor, MarkerClickBox,
    ::testing::Values(BoxCase{10.4, 40, 28, true}, BoxCase{10.4, 40, 40, true},
                      BoxCase{10.4, 40, 41, false}, BoxCase{10.4, 40, 27, false},
                      BoxCase{10.6, 40, 43, true}, BoxCase{10.6, 40, 30, false},
                      BoxCase{10.4, 37, 30, true}, BoxCase{10.4, 36, 30, false},
                      BoxCase{10.4, 51, 30, true}, BoxCase{10.4, 52, 30, false}));

// A drag stores the exact double for the host; only the control in the effect window counts,
// yet every drag asks for an update.
struct DragCase {
  const char *name;
  PF_WindowType window;
  PF_EffectArea area;
  int dv;
  /// Position 2 and the "Position" proxy afterwards.
  double position, proxy;
};
void PrintTo(const DragCase &c, std::ostream *os) { *os << c.name; }
class Drags : public ::testing::TestWithParam<DragCase> {};

TEST_P(Drags, WriteTheUnclampedOffset) {
  const DragCase &c = GetParam();
  SetUpInstance s = Editor({.lock = false});
  ASSERT_EQ(Gesture(s, StopMarker(kD25)).err, 0);
  host::EventRequest drag = host::DragEvent(kFrame, At(200, c.dv));
  drag.window = c.window;
  drag.area = c.area;
  const host::EventResult r = host::SendEvent(*s.instance, drag);
  EXPECT_EQ(r.command.err, 0);
  EXPECT_EQ(r.extra.evt_out_flags, PF_EO_ALWAYS_UPDATE);
  EXPECT_EQ(Float(s, PositionSlotIndex(2)), c.position);
  EXPECT_EQ(Float(s, kPositionIndex), c.proxy);
}
INSTANTIATE_TEST_SUITE_P(
    Editor, Drags,
    ::testing::Values(DragCase{"Below", PF_Window_EFFECT, PF_EA_CONTROL, 27, kTen, kTen},
                      DragCase{"Above", PF_Window_EFFECT, PF_EA_CONTROL, -10, -3.703703703703704,
                               -3.703703703703704},
                      DragCase{"Beyond", PF_Window_EFFECT, PF_EA_CONTROL, 300, 111.11111111111113,
                               111.11111111111113},
                      DragCase{"LayerWindow", PF_Window_LAYER, PF_EA_CONTROL, 27, 25, 50},
                      DragCase{"ParamTitle", PF_Window_EFFECT, PF_EA_PARAM_TITLE, 27, 25, 50}),
    [](const auto &info) { return std::string(info.param.name); });

struct ButtonCase {
  const char *name;
  EditorState state;
  PF_Point button;
  Slots colors, alphas;
  /// current_handle, current_alpha_handle, color_slots_used, alpha_slots_used.
  std::array<int, 4> record;
  /// The undo step the gesture leaves; none when empty.
  const char *step;
  /// Proxies copied from the new current slot.
  std::vector<std::pair<PF_ParamIndex, double>> values = {};
};
void PrintTo(const ButtonCase &c, std::ostream *os) { *os << c.name; }

const Slots kFirstSix{1, 2, 3, 4, 5, 6}, kWithout3{1, 2, 4, 5};
Slots AllSlots() {
  Slots all;
  for (int n = 1; n <= kMaxSlots; ++n) all.insert(n);
  return all;
}
EditorState Unlocked(Slots colors = kFirstFive, int current = 3) {
  return {.lock = false, .colors = std::move(colors), .current = current};
}

ButtonCase Button(const char *name, EditorState state, PF_Point button, Slots colors, Slots alphas,
                  std::array<int, 4> record, const char *step,
                  std::vector<std::pair<PF_ParamIndex, double>> values = {}) {
  return {name, std::move(state), button, std::move(colors), std::move(alphas), record,
          step, std::move(values)};
}
const ButtonCase kButtonCases[] = {
    Button("AddColorLocked", {}, kColorPlus, kFirstSix, kFirstSix, {6, 6, 6, 6}, "Add Color"),
    Button("AddColorUnlocked", Unlocked(), kColorPlus, kFirstSix, kFirstFive, {6, 3, 6, 5},
           "Add Color"),
    Button("RemoveCurrentLocked", {}, kColorMinus, kWithout3, kWithout3, {2, 2, 5, 5},
           "Remove Color", {{kPositionIndex, 25}}),
    Button("SingleStopStays", Unlocked({1}, 1), kColorMinus, {1}, kFirstFive, {1, 3, 1, 5}, ""),
    // Nothing to add, but the stored bound is corrected.
    Button("AllInUseOnlyRecounts",
           {.colors = AllSlots(), .alphas = AllSlots(), .color_bound = 5, .alpha_bound = 5},
           kColorPlus, AllSlots(), AllSlots(), {3, 3, 100, 100}, "Output Range"),
    Button("AlphaButtonsAbsentWhenLocked", {}, kAlphaPlus, kFirstFive, kFirstFive, {3, 3, 5, 5},
           ""),
    Button("AddAlphaUnlocked", Unlocked(), kAlphaPlus, kFirstFive, kFirstSix, {3, 6, 5, 6},
           "Add Alpha Handle"),
    Button("RemoveAlphaUnlocked", {.lock = false, .values = {{AlphaValueSlotIndex(2), 40}}},
           kAlphaMinus, kFirstFive, kWithout3, {3, 2, 5, 5}, "Remove Alpha Handle",
           {{kAlphaPositionIndex, 25}, {kAlphaValueIndex, 40}}),
};

class Buttons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(Buttons, ShowOrHideSlotsAsNamedUndoSteps) {
  const ButtonCase &c = GetParam();
  SetUpInstance s = Editor(c.state);
  const Snapshot before = Snap(s);
  ASSERT_EQ(Gesture(s, c.button).err, 0);

  for (int n = 1; n <= kMaxSlots; ++n) {
    ASSERT_EQ(s.instance->IsHidden(ColorSlotIndex(n)), !c.colors.count(n)) << n;
    ASSERT_EQ(s.instance->IsHidden(PositionSlotIndex(n)), !c.colors.count(n)) << n;
    ASSERT_EQ(s.instance->IsHidden(AlphaValueSlotIndex(n)), !c.alphas.count(n)) << n;
    ASSERT_EQ(s.instance->IsHidden(AlphaPositionSlotIndex(n)), !c.alphas.count(n)) << n;
  }
  const ArbData r = RecordOf(s);
  EXPECT_EQ((std::array<int, 4>{r.current_handle, r.current_alpha_handle, r.color_slots_used,
                                r.alpha_slots_used}),
            c.record);
  for (const auto &[index, value] : c.values) EXPECT_EQ(Float(s, index), value) << index;

  const std::vector<std::string> steps = s.instance->History().UndoNames();
  if (std::string(c.step).empty()) {
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(Snap(s) == before);
    return;
  }
  EXPECT_EQ(steps, std::vector<std::string>{c.step});
  ExpectUndoAndRedo(s, before, Snap(s));
}
INSTANTIATE_TEST_SUITE_P(Editor, Buttons, ::testing::ValuesIn(kButtonCases),
                         [](const auto &info) { return std::string(info.param.name); });

// After Effects gets the magnifier through the helper suite; Premiere Pro gets it as the cursor.
TEST(EditorClick, AsksTheHostForItsTool) {
  SetUpInstance ae = Editor({});
  const host::GestureResult r = Gesture(ae, kNowhere);
  EXPECT_EQ(r.click.extra.evt_out_flags, PF_EO_HANDLED_EVENT);
  EXPECT_EQ(host::ExtendedTools(*ae.host), std::vector<A_long>{PF_ExtendedSuiteTool_MAGNIFY});
  EXPECT_FALSE(r.cursor.has_value());

  SetUpInstance pr = MakeInstance({.appl_id = host::kPremierePro});
  const host::GestureResult p = Gesture(pr, kNowhere);
  EXPECT_EQ(p.cursor, PF_Cursor_MAGNIFY);
  EXPECT_TRUE(host::ExtendedTools(*pr.host).empty());
}

// With the lock on, removing a stop must leave every proxy showing the stop that became current:
// a stale alpha proxy was once taken for the user's edit and moved the next dragged stop back.
TEST(LockedRemove, TheNextDragKeepsItsPosition) {
  SetUpInstance s = Editor(kLocked);
  ASSERT_EQ(Gesture(s, kColorMinus).err, 0);
  ASSERT_EQ(RecordOf(s).current_handle, 2);
  ASSERT_EQ(Gesture(s, StopMarker(kD25), {At(40, 243)}).err, 0);
  EXPECT_NEAR(Float(s, PositionSlotIndex(2)), 90, 1e-4);
  EXPECT_NEAR(Float(s, AlphaPositionSlotIndex(2)), 90, 1e-4);
}

}  // namespace
}  // namespace huewarp::testing
