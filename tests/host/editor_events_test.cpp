// Events of the ColorGrid control through EffectMain: which draws paint, the first draw's
// hiding of unused slots, the pointer and the Info panel, the idle trace, every failure of a draw
// in turn, and a picture of the default editor.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "host/ui/cairo_raster.h"

namespace huewarp::testing {
namespace {

int Count(const std::vector<std::string> &calls, const std::string &op) {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string &c) {
    return c == op || c.starts_with(op + "(");
  }));
}

// Draws that paint nothing: nothing at all when told not to draw, only the bookkeeping over the
// parameter's title.
struct QuietDrawCase {
  const char *name;
  PF_EventInFlags in_flags;
  PF_EffectArea area;
  PF_EventOutFlags out_flags;
  bool acquires;
};

class EditorQuietDraw : public ::testing::TestWithParam<QuietDrawCase> {};

TEST_P(EditorQuietDraw, PaintsNothing) {
  const QuietDrawCase &c = GetParam();
  SetUpInstance s = DrawnInstance();
  host::EventRequest request = host::DrawEvent(kFrame);
  request.in_flags = c.in_flags;
  request.area = c.area;
  const host::EventResult r = host::SendEvent(*s.instance, request);
  EXPECT_EQ(r.command.err, 0);
  EXPECT_TRUE(r.drawing->operations().empty());
  EXPECT_EQ(r.extra.evt_out_flags, c.out_flags);
  EXPECT_EQ(r.command.calls.empty(), !c.acquires);
}

INSTANTIATE_TEST_SUITE_P(Draws, EditorQuietDraw,
                         ::testing::Values(QuietDrawCase{"DontDraw", PF_EI_DONT_DRAW, PF_EA_CONTROL,
                                                         PF_EO_NONE, false},
                                           QuietDrawCase{"Title", PF_EI_NONE, PF_EA_PARAM_TITLE,
                                                         PF_EO_HANDLED_EVENT, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(EditorFirstDraw, HidesUnusedSlotsOnceThenOnlyReads) {
  SetUpInstance s = MakeInstance();
  const host::EventResult first = Draw(s);
  ASSERT_EQ(first.command.err, 0);
  for (int n = 1; n <= kMaxSlots; ++n) {
    for (PF_ParamIndex index : {ColorSlotIndex(n), PositionSlotIndex(n), AlphaPositionSlotIndex(n),
                                AlphaValueSlotIndex(n)}) {
      EXPECT_EQ(s.instance->IsHidden(index), n > 5) << index;
    }
  }
  EXPECT_EQ(s.instance->ValueAt(kFlagsInitializedIndex, 0).AsInt(), 1);
  EXPECT_TRUE(s.instance->IsHidden(kFlagsInitializedIndex));
  EXPECT_EQ(Count(first.command.calls, "AEGP_SetDynamicStreamFlag"), 4 * 95 + 1);

  const host::EventResult second = Draw(s);
  ASSERT_EQ(second.command.err, 0);
  EXPECT_EQ(Count(second.command.calls, "AEGP_SetDynamicStreamFlag"), 0);
  EXPECT_EQ(Count(second.command.calls, "AEGP_SetStreamValue"), 0);
  EXPECT_TRUE(second.drawing->operations() == first.drawing->operations());
}

// The pointer: a cursor event stores it only strictly inside the frame of the control area,
// which a later draw shows by lighting the colour "+" button under the stored point.

struct CursorCase {
  const char *name;
  PF_EffectArea area;
  PF_Point point;
  bool stored;
};

constexpr PF_Point kOverPlus{kFrame.left + 20, kFrame.top + 70};

class EditorCursor : public ::testing::TestWithParam<CursorCase> {};

TEST_P(EditorCursor, StoresThePointerOnlyInsideTheControl) {
  const CursorCase &c = GetParam();
  SetUpInstance s = DrawnInstance();
  MoveMouse(s, kOverPlus);
  host::EventRequest request = host::AdjustCursorEvent(kFrame, c.point);
  request.area = c.area;
  request.window = PF_Window_COMP;  // no window check for the cursor
  s.host->Info().DrawText("", "");
  const host::EventResult moved = host::SendEvent(*s.instance, request);
  EXPECT_EQ(moved.command.err, 0);
  EXPECT_EQ(moved.extra.evt_out_flags, PF_EO_NONE);
  EXPECT_EQ(moved.extra.u.adjust_cursor.set_cursor, PF_Cursor_NONE);
  EXPECT_EQ(s.host->Info().Lines(),
            (host::InfoLines{"ColorGrid - ChangeCursor Event", "Adobe Systems, Inc"}));
  const auto fills = FillsAt(*Draw(s).drawing, kFrame.left + 16.0f, 11);
  const bool lit = fills.at(0).color.red > 0.5f;
  EXPECT_EQ(lit, !c.stored);
}

constexpr int kMidV = kFrame.top + 140, kMidH = kFrame.left + 150;

INSTANTIATE_TEST_SUITE_P(
    Points, EditorCursor,
    ::testing::Values(CursorCase{"Inside", PF_EA_CONTROL, {kMidH, kMidV}, true},
                      CursorCase{"JustInside", PF_EA_CONTROL, {kFrame.left + 1, kMidV}, true},
                      CursorCase{"LeftEdge", PF_EA_CONTROL, {kFrame.left, kMidV}, false},
                      CursorCase{"RightEdge", PF_EA_CONTROL, {kFrame.right, kMidV}, false},
                      CursorCase{"TopEdge", PF_EA_CONTROL, {kMidH, kFrame.top}, false},
                      CursorCase{"BottomEdge", PF_EA_CONTROL, {kMidH, kFrame.bottom}, false},
                      CursorCase{"TitleArea", PF_EA_PARAM_TITLE, {kMidH, kMidV}, false}),
    [](const auto &info) { return std::string(info.param.name); });

// Every event type: what it returns, reports and traces.
struct TypeCase {
  const char *name;
  PF_EventType type;
  PF_EventOutFlags out_flags;
  std::vector<std::string> trace;
};

class EditorEventTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(EditorEventTypes, AnswerAsTheirHandlerSays) {
  const TypeCase &c = GetParam();
  SetUpInstance s = DrawnInstance();
  host::EventRequest request = host::ClickEvent(kFrame, kNowhere);
  request.type = c.type;
  const host::EventResult r = host::SendEvent(*s.instance, request);
  EXPECT_EQ(r.command.err, 0);
  EXPECT_EQ(r.extra.evt_out_flags, c.out_flags);
  EXPECT_EQ(r.command.debug_output, std::vector<std::string>{c.trace.empty() ? "" : c.trace[0]});
}

INSTANTIATE_TEST_SUITE_P(
    Types, EditorEventTypes,
    ::testing::Values(TypeCase{"Idle", PF_Event_IDLE, PF_EO_NONE, {"IDLE\n"}},
                      TypeCase{"Click", PF_Event_DO_CLICK, PF_EO_HANDLED_EVENT, {}},
                      TypeCase{"Drag", PF_Event_DRAG, PF_EO_ALWAYS_UPDATE, {}},
                      TypeCase{"NewContext", PF_Event_NEW_CONTEXT, PF_EO_NONE, {}},
                      TypeCase{"Activate", PF_Event_ACTIVATE, PF_EO_NONE, {}},
                      TypeCase{"KeyDown", PF_Event_KEYDOWN, PF_EO_NONE, {}}),
    [](const auto &info) { return std::string(info.param.name); });

// Failures. Each host operation a draw makes is failed in turn (its first and a later call):
// the draw returns the first error (or the code the effect gives for that failure), makes no
// further call but releases, keeps what it painted, is marked handled only on success, and the
// ledger balances (the host fails the test otherwise).

PF_Err ExpectedError(const std::string &failed) {
  if (failed.starts_with("AcquireSuite(PF ColorParamSuite")) return A_Err_MISSING_SUITE;
  if (failed.starts_with("AcquireSuite")) return PF_Err_BAD_CALLBACK_PARAM;
  if (failed.starts_with("host_lock_handle")) return PF_Err_OUT_OF_MEMORY;
  if (failed.starts_with("ReleaseSuite") || failed.starts_with("host_unlock_handle")) return 0;
  return 77;
}

/// What may follow a failed call: releases, the report of a failed suite, and the locking of the
/// record, which comes before anything is asked of the streams or of Drawbot.
bool MayFollowFailure(const std::string &call) {
  for (const char *allowed :
       {"ReleaseObject", "ReleaseSuite", "AEGP_DisposeStream", "host_unlock_handle", "sprintf",
        "host_lock_handle", "AcquireSuite(PF Handle Suite 2)"}) {
    if (call.starts_with(allowed)) return true;
  }
  return false;
}

TEST(EditorFaults, EachOperationOfADrawFailedInTurn) {
  const Look look{.alphas = {{0, 20}, {100, 100}}};
  SetUpInstance s = DrawnInstance(look);
  s.instance->SetValue(kLockAlphaHandlesIndex, host::ParamValue::Int(0));
  const host::EventResult clean = Draw(s);
  ASSERT_EQ(clean.command.err, 0);
  // The first call of each operation and one from the middle of the draw.
  std::vector<int> targets;
  std::vector<std::string> seen;
  for (int n = 0; n < static_cast<int>(clean.command.calls.size()); ++n) {
    const std::string &call = clean.command.calls[n];
    if (std::find(seen.begin(), seen.end(), call) == seen.end()) {
      seen.push_back(call);
      targets.push_back(n + 1);
    }
  }
  targets.push_back(static_cast<int>(clean.command.calls.size()) / 2);

  for (const int n : targets) {
    for (const host::FaultKind kind : {host::FaultKind::kError, host::FaultKind::kNull}) {
      const std::string &failed = clean.command.calls[n - 1];
      SCOPED_TRACE(failed + " #" + std::to_string(n) +
                   (kind == host::FaultKind::kNull ? " null" : " error"));
      s.host->Faults().Reset();
      s.host->Faults().Arm({.call_number = n, .kind = kind, .code = 77});
      const host::EventResult r = Draw(s);
      s.host->Faults().Reset();
      if (kind == host::FaultKind::kError) {
        EXPECT_EQ(r.command.err, ExpectedError(failed));
      }
      EXPECT_EQ(r.extra.evt_out_flags, r.command.err ? PF_EO_NONE : PF_EO_HANDLED_EVENT);
      const auto &ops = r.drawing->operations();
      ASSERT_LE(ops.size(), clean.drawing->operations().size());
      EXPECT_TRUE(std::equal(ops.begin(), ops.end(), clean.drawing->operations().begin()));
      if (r.command.err && kind == host::FaultKind::kError) {
        for (std::size_t k = n; k < r.command.calls.size(); ++k) {
          EXPECT_TRUE(MayFollowFailure(r.command.calls[k])) << r.command.calls[k];
        }
      } else if (!r.command.err) {
        EXPECT_TRUE(ops == clean.drawing->operations());
      }
    }
  }
}

TEST(EditorFaults, FirstDrawStopsAtAFailedSlotHiding) {
  SetUpInstance s = MakeInstance();
  s.host->Faults().Arm({.match = "AEGP_SetDynamicStreamFlag", .occurrence = 7, .code = 77});
  const host::EventResult r = Draw(s);
  EXPECT_EQ(r.command.err, 77);
  EXPECT_EQ(r.extra.evt_out_flags, PF_EO_NONE);
  EXPECT_EQ(Count(r.command.calls, "AcquireSuite(DRAWBOT"), 0);
  EXPECT_TRUE(r.drawing->operations().empty());
}

#ifdef HUEWARP_HAVE_CAIRO
// A smoke test of the picture, not a golden image: a few pixels far from any edge.
TEST(EditorPicture, DefaultEditorLooksRight) {
  SetUpInstance s = MakeInstance();
  const PF_Rect frame{0, 0, 300, 280};
  ASSERT_EQ(Draw(s, frame).command.err, 0);
  MoveMouse(s, {150, 200}, frame);
  const host::EventResult r = Draw(s, frame);
  ASSERT_EQ(r.command.err, 0);
  const std::string png = (std::filesystem::path(::testing::TempDir()) / "editor.png").string();
  ASSERT_EQ(host::Raster::Render(*r.drawing).WritePng(png), "");
  const host::Raster image = host::Raster::ReadPng(png);
  ASSERT_EQ(image.width(), 300);
  ASSERT_EQ(image.height(), 280);
  struct Sample {
    int x, y;
    host::Rgba8 rgba;
  };
  // Column rows have their edges on half pixels and overlap by 0.3, so antialiasing leaves each
  // pixel 0.9 of the row's colour over 0.1 of the panel's grey (0.16).
  const Sample samples[] = {
      {3, 10, {231, 231, 231, 255}},    // strip top, near white ("Min RGB"): 0.98
      {3, 270, {36, 36, 36, 255}},      // strip bottom, near black: 0.13
      {65, 138, {19, 211, 198, 255}},   // bar at the middle stop (5, 230, 215)
      {250, 138, {19, 211, 198, 255}},  // preview, the same with "Cycle Scale" 1
      {44, 5, {92, 92, 92, 255}},       // marker of the stop at 0
      {44, 140, {156, 156, 156, 255}},  // marker of the current stop, lit
      {18, 67, {39, 39, 39, 255}},      // colour "+" fill
      {150, 140, {41, 41, 41, 255}},    // the panel
  };
  for (const Sample &p : samples) {
    const host::Rgba8 got = image.Pixel(p.x, p.y);
    EXPECT_NEAR(got.red, p.rgba.red, 4) << p.x << "," << p.y;
    EXPECT_NEAR(got.green, p.rgba.green, 4) << p.x << "," << p.y;
    EXPECT_NEAR(got.blue, p.rgba.blue, 4) << p.x << "," << p.y;
  }
  std::filesystem::remove(png);
}
#endif

}  // namespace
}  // namespace huewarp::testing
