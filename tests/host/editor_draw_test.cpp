// The ColorGrid control drawn through EffectMain: exact geometry and colour of the columns and
// the checkerboards, and the hover boxes of the markers and buttons, read from the recorded
// drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "editor_fixture.h"

namespace huewarp::testing {
namespace {

constexpr float kL = kFrame.left, kT = kFrame.top, kR = kFrame.right;
constexpr int kRows = 270;

// Columns: every row at T + i + 0.5, 1.3 high, in the gradient's colour.

class EditorColumns : public ::testing::TestWithParam<Look> {};

TEST_P(EditorColumns, BarAndPreviewShowTheEditorsGradientRowByRow) {
  const Look &look = GetParam();
  SetUpInstance s = DrawnInstance(look);
  const host::EventResult r = Draw(s);
  ASSERT_EQ(r.command.err, 0);
  const EditorGradient expected(look);
  const auto bar = FillsAt(*r.drawing, kL + 50.5f, 30);
  const auto preview = FillsAt(*r.drawing, kR - 110.5f, 110);
  ASSERT_EQ(bar.size(), kRows);
  ASSERT_EQ(preview.size(), kRows);
  for (int i = 5; i < 275; ++i) {
    SCOPED_TRACE(i);
    const Rect row{0, RowTop(kFrame, i), 0, 1.3f};
    EXPECT_EQ(bar[i - 5].shape.rects[0].top, row.top);
    EXPECT_EQ(bar[i - 5].shape.rects[0].height, row.height);
    EXPECT_EQ(bar[i - 5].color, Opaque(SampleColor(expected.gradient.colorRamp, RowT(i), 1)));
    EXPECT_EQ(preview[i - 5].shape.rects[0].top, row.top);
    EXPECT_EQ(preview[i - 5].color,
              Opaque(SampleColor(expected.gradient.colorRamp, RowT(i), expected.cycle)));
  }
  // Fully opaque handles leave out every checker cell.
  if (expected.gradient.alphaRamp.opaque) {
    for (const Fill &fill : r.drawing->OperationsOf<Fill>()) EXPECT_EQ(fill.color.alpha, 1);
  }
}

const Look kColumnLooks[] = {
    {.name = "Defaults"},
    // 49.5 is shown at 0.50; the render keeps it exact.
    {.name = "HalfRoundsUp", .stops = {{0, 1, 0, 0}, {49.5, 0, 1, 0}, {100, 0, 0, 1}}},
    // Two hidden stops within the record's count of five contribute nothing.
    {.name = "HiddenStops", .stops = {{10, 1, 1, 0}, {90, 0, 0.5f, 1}, {40, 1, 0, 1}}},
    {.name = "CycledSmoothDiscrete", .cycle_scale = 2.5, .smooth_wrap = true, .discrete = true},
    {.name = "OffsetWrapsSmoothly",
     .offset_degrees = -90,
     .values_over1 = kValuesOver1Wrap,
     .smooth_wrap = true},
};

INSTANTIATE_TEST_SUITE_P(Looks, EditorColumns, ::testing::ValuesIn(kColumnLooks),
                         [](const auto &info) { return std::string(info.param.name); });

// The input reference strip.

struct Entry {
  double position;
  float red, green, blue;
};

std::vector<Entry> FromWhite(float r, float g, float b) { return {{0, 1, 1, 1}, {1, r, g, b}}; }

std::vector<Entry> Saturation() {
  const double positions[] = {0,        1 / 12.0, 1 / 6.0, 1 / 3.0,   5 / 12.0, 0.5,
                              7 / 12.0, 2 / 3.0,  5 / 6.0, 11 / 12.0, 1};
  const float hues[][3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}};
  std::vector<Entry> entries;
  for (int e = 0; e < 11; ++e) {
    const float *c = hues[e % 5];
    const double s = positions[e], m = (c[0] + c[1] + c[2]) / 3.0;
    auto mix = [&](float v) { return static_cast<float>(s * v + (1 - s) * m); };
    entries.push_back({s, mix(c[0]), mix(c[1]), mix(c[2])});
  }
  return entries;
}

struct StripCase {
  const char *name;
  std::uint16_t input_range;
  std::vector<Entry> entries;
  double offset_degrees = 0;
  bool flip = false;
};

/// The strip's colour in row i: the entries sampled unsquared at the row's input value.
Color StripColor(const StripCase &c, int i) {
  std::vector<ColorStop> stops;
  for (const Entry &e : c.entries) {
    stops.push_back({static_cast<float>(e.position), e.red, e.green, e.blue});
  }
  const ColorRamp ramp(stops, false, false, 1);
  const float o = OffsetWrapped(static_cast<PF_Fixed>(c.offset_degrees * 65536));
  float u = static_cast<float>(std::fmod(o + RowT(i), 1.0));
  if (c.flip) u = 1 - u;
  const Rgb rgb = SampleColor(ramp, u, 1);
  if (c.input_range != kInputAlpha) return Opaque(rgb);
  return Grey(i % 14 < 7 ? 1.0f : 0.7490196f, rgb.red);
}

class EditorStrip : public ::testing::TestWithParam<StripCase> {};

TEST_P(EditorStrip, ShowsTheReferenceGradientOfTheInputRange) {
  const StripCase &c = GetParam();
  SetUpInstance s = DrawnInstance(
      {.input_range = c.input_range, .offset_degrees = c.offset_degrees, .flip = c.flip});
  const host::EventResult r = Draw(s);
  ASSERT_EQ(r.command.err, 0);
  const auto strip = FillsAt(*r.drawing, kL + 0.5f, 6);
  ASSERT_EQ(strip.size(), kRows);
  for (int i = 5; i < 275; ++i) {
    EXPECT_EQ(strip[i - 5].shape.rects[0].top, RowTop(kFrame, i)) << i;
    EXPECT_EQ(strip[i - 5].color, StripColor(c, i)) << i;
  }
}

const std::vector<Entry> kHue = {{0, 1, 0, 0},       {1 / 6.0, 1, 1, 0}, {1 / 3.0, 0, 1, 0},
                                 {2 / 3.0, 0, 0, 1}, {5 / 6.0, 1, 0, 1}, {1, 1, 0, 0}};
const std::vector<Entry> kDark = {{0, 0, 0, 0}, {1, 1, 1, 1}};

const StripCase kStrips[] = {
    {"Intensity", kInputIntensity, kDark},
    {"HueWithoutCyan", kInputHue, kHue},
    {"Saturation", kInputSaturation, Saturation()},
    {"Blue", kInputBlue, FromWhite(0, 0, 1)},
    {"AlphaBands", kInputAlpha, kDark},
    {"Cyan", kInputCyan, FromWhite(3 / 255.f, 215 / 255.f, 252 / 255.f)},
    {"MaxCmyk", kInputMaxCmyk, FromWhite(0, 0, 0)},
    {"ThreeQuartersDown", kInputHue, kHue, -90},
    {"Flipped", kInputIntensity, kDark, 0, true},
};

INSTANTIATE_TEST_SUITE_P(InputRanges, EditorStrip, ::testing::ValuesIn(kStrips),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(EditorStripOffset, AWholeTurnDrawsTheSameStrip) {
  std::vector<Fill> strips[2];
  for (int k = 0; k < 2; ++k) {
    SetUpInstance s = DrawnInstance({.input_range = kInputHue, .offset_degrees = 360.0 * k});
    strips[k] = FillsAt(*Draw(s).drawing, kL + 0.5f, 6);
  }
  EXPECT_EQ(strips[0].size(), kRows);
  EXPECT_TRUE(strips[0] == strips[1]);
}

// Preview width and checkerboards.

struct PreviewCase {
  int frame_width;
  float w;
  /// The checker cells of a translucent row: count and the last one's width.
  int cells;
  float last_width;
};
void PrintTo(const PreviewCase &c, std::ostream *os) { *os << "width " << c.frame_width; }

class EditorPreview : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(EditorPreview, WidthFollowsTheFrameAndCellsCoverItsRightHalf) {
  const PreviewCase &c = GetParam();
  SetUpInstance s = DrawnInstance({.alphas = {{0, 0}, {100, 100}}});
  const PF_Rect frame{kFrame.left, kFrame.top, kFrame.left + c.frame_width, kFrame.bottom};
  MoveMouse(s, {frame.left + 150, frame.top + 200}, frame);
  const host::EventResult r = Draw(s, frame);
  ASSERT_EQ(r.command.err, 0);
  const float right = static_cast<float>(frame.right);
  EXPECT_EQ(FillsAt(*r.drawing, right - c.w - 0.5f, c.w).size(), kRows);
  const auto cells = CellsOfRow(*r.drawing, frame, 100, right - c.w / 2 - 0.5f, right);
  ASSERT_EQ(cells.size(), c.cells);
  for (int j = 0; j < c.cells; ++j) {
    EXPECT_EQ(cells[j].shape.rects[0].left, right - c.w / 2 - 0.5f + 7 * j) << j;
    EXPECT_EQ(cells[j].shape.rects[0].width, j + 1 < c.cells ? 7 : c.last_width) << j;
  }
}

INSTANTIATE_TEST_SUITE_P(FrameWidths, EditorPreview,
                         ::testing::Values(PreviewCase{250, 110, 8, 6}, PreviewCase{231, 110, 8, 6},
                                           PreviewCase{200, 79, 6, 4.5f}, PreviewCase{121, 0, 0, 0},
                                           PreviewCase{100, 0, 0, 0}),
                         [](const auto &info) { return std::to_string(info.param.frame_width); });

TEST(EditorChecker, BarCellsShowTransparencyRowByRow) {
  const Look look{.alphas = {{0, 0}, {100, 100}}};
  SetUpInstance s = DrawnInstance(look);
  const host::EventResult r = Draw(s);
  ASSERT_EQ(r.command.err, 0);
  const EditorGradient expected(look);
  int translucent_rows = 0;
  for (int i = 5; i < 275; ++i) {
    SCOPED_TRACE(i);
    const float k = 1 - SampleAlpha(expected.gradient.alphaRamp, RowT(i), 1);
    const auto cells = CellsOfRow(*r.drawing, kFrame, i, kL + 65, kL + 81);
    if (static_cast<double>(k) < 0.01) {
      EXPECT_TRUE(cells.empty());
      continue;
    }
    ++translucent_rows;
    ASSERT_EQ(cells.size(), 3u);
    const float widths[] = {7, 7, 1};
    for (int j = 0; j < 3; ++j) {
      const bool light = (i % 14 < 7) == (j % 2 == 0);
      EXPECT_EQ(cells[j].shape.rects[0],
                (Rect{kL + 65.5f + 7 * j, RowTop(kFrame, i), widths[j], 1.3f}));
      EXPECT_EQ(cells[j].color, Grey(light ? 1.0f : 0.7490196f, k));
    }
  }
  // Alpha reaches 0.99 only in the last rows.
  EXPECT_GT(translucent_rows, 260);
  EXPECT_LT(translucent_rows, kRows);
}

// Greys brightened by 1/0.918 in double, then stored as float (about 0.6100218 and 0.5468409).
constexpr double kBrightness = 1.0893246187363834;
constexpr float kMarkerLit = static_cast<float>(0.56 * kBrightness);
constexpr float kButtonLitFill = static_cast<float>(0.502 * kBrightness);

// Hover: the pointer's last position inside the frame lights the box it falls in, edges exact.

enum class Element { kColorMarker2, kAlphaMarker2, kColorPlus, kAlphaMinus };

struct HoverCase {
  const char *name;
  Element element;
  int dx, dy;  // the pointer, from the frame's top-left corner
  bool lit;
};

/// Stop and handle 2 at 10.4: the hover box rounds 2.7 * 10.4 = 28.08 to 28, where a click box
/// would round 10.4 first and sit at 27.
const Look kHoverLook{.stops = {{0, 1, 0, 0}, {10.4, 0, 1, 0}, {100, 0, 0, 1}},
                      .alphas = {{0, 100}, {10.4, 100}, {100, 100}}};

/// Whether the element is drawn lit.
bool DrawnLit(const host::Drawing &drawing, Element element) {
  switch (element) {
    case Element::kColorMarker2:
      return FillsAt(drawing, kL + 37.5f, 13).at(1).color == Grey(kMarkerLit);
    case Element::kAlphaMarker2:
      return FillsAt(drawing, kL + 80.5f, 13).at(1).color == Grey(kMarkerLit);
    case Element::kColorPlus:
    case Element::kAlphaMinus: {
      const float x = element == Element::kColorPlus ? kL + 16 : kL + 101;
      const auto fills = FillsAt(drawing, x, 11);
      const auto texts = drawing.OperationsOf<host::draw::Text>();
      const int which = element == Element::kColorPlus ? 0 : 3;
      const bool lit = fills.at(which == 0 ? 0 : 1).color == Grey(kButtonLitFill);
      EXPECT_EQ(texts.at(which).color, Grey(lit ? 0.1098f : 0.5647f));
      EXPECT_EQ(texts.at(which).origin.x, x + (which == 0 ? 1.25f : 2.75f));  // "+" and "-"
      return lit;
    }
  }
  return false;
}

class EditorHover : public ::testing::TestWithParam<HoverCase> {};

TEST_P(EditorHover, BoxesHaveExactEdges) {
  const HoverCase &c = GetParam();
  SetUpInstance s = DrawnInstance(kHoverLook);
  s.instance->SetValue(kLockAlphaHandlesIndex, host::ParamValue::Int(0));
  MoveMouse(s, {kFrame.left + c.dx, kFrame.top + c.dy});
  const host::EventResult r = Draw(s);
  ASSERT_EQ(r.command.err, 0);
  EXPECT_EQ(DrawnLit(*r.drawing, c.element), c.lit);
}

const HoverCase kHovers[] = {
    {"MarkerLeftTop", Element::kColorMarker2, 37, 29, true},
    {"MarkerRightBottom", Element::kColorMarker2, 51, 41, true},
    {"MarkerRightOf", Element::kColorMarker2, 52, 35, false},
    {"MarkerAtItsOffset", Element::kColorMarker2, 40, 28, false},
    {"MarkerBelow", Element::kColorMarker2, 40, 42, false},
    {"AlphaMarker", Element::kAlphaMarker2, 94, 41, true},
    {"PlusLeftTop", Element::kColorPlus, 16, 66, true},
    {"PlusRightBottom", Element::kColorPlus, 28, 79, true},
    {"PlusRightOf", Element::kColorPlus, 29, 70, false},
    {"PlusBelow", Element::kColorPlus, 20, 80, false},
    {"AlphaMinus", Element::kAlphaMinus, 113, 100, true},
    {"AlphaMinusBelow", Element::kAlphaMinus, 113, 101, false},
};

INSTANTIATE_TEST_SUITE_P(Edges, EditorHover, ::testing::ValuesIn(kHovers),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace huewarp::testing
