// Events of the ColorGrid control through EffectMain: which draws paint, the first draw's
// hiding of unused slots, the pointer and the Info panel, and a picture of the default editor.
// Each failure of a draw is the fault sweep's.
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

// Hiding a slot answers the first error of its flag write and of giving the stream back.
TEST(EditorFaults, FirstDrawStopsAtAFailedSlotHiding) {
  for (const char *op : {"AEGP_SetDynamicStreamFlag", "AEGP_DisposeStream"}) {
    SCOPED_TRACE(op);
    SetUpInstance s = MakeInstance();
    s.host->Faults().Arm({.match = op, .occurrence = 7, .code = 77});
    const host::EventResult r = Draw(s);
    EXPECT_EQ(r.command.err, 77);
    EXPECT_EQ(r.extra.evt_out_flags, PF_EO_NONE);
    EXPECT_EQ(Count(r.command.calls, "AcquireSuite(DRAWBOT"), 0);
    EXPECT_TRUE(r.drawing->operations().empty());
  }
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
