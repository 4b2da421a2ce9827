// Settings to ramps: which slots count, the units, the editor's whole-percent stops, the discrete
// rewrite and the smooth-wrap flags for render and editor.
#include "core/gradient_settings.h"

#include <gtest/gtest.h>

namespace huewarp {
namespace {

TEST(GradientSettings, ShownSlotsInPercentBecomeStopsAndHandles) {
  struct Case {
    GradientUse use;
    double position;
    float expected;
  };
  const Case cases[] = {{GradientUse::kRender, 49.5, 0.495f},
                        {GradientUse::kEditor, 49.5, 0.5f},
                        {GradientUse::kEditor, 49.4, 0.49f},
                        {GradientUse::kEditor, -0.5, -0.01f}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.position);
    GradientSettings s{.use = c.use};
    s.stops[7] = {true, 0.5f, 0.25f, 1, c.position};
    s.stops[2] = {true, 1, 1, 1, 80};
    s.stops[3] = {false, 1, 1, 1, 10};
    s.handles[4] = {true, 62.5, 40};  // exact for the editor too
    const Gradient g = BuildGradient(s);
    ASSERT_EQ(g.colorRamp.primary.size(), 2u);
    const ColorStop &stop = g.colorRamp.primary[0];
    EXPECT_EQ(stop.position, c.expected);
    EXPECT_TRUE(stop.red == 0.25f && stop.green == 0.0625f && stop.blue == 1);
    EXPECT_EQ(g.colorRamp.primary[1].position, 0.8f);
    ASSERT_EQ(g.alphaRamp.primary.size(), 1u);
    EXPECT_TRUE(g.alphaRamp.primary[0].position == 0.625f && g.alphaRamp.primary[0].alpha == 0.4f);
  }
  // The discrete rewrite: stops at 0 and 100 give 0, 0.01 and 0.99; one handle a step around it.
  GradientSettings s{.discrete = true};
  s.stops[1] = {true, 1, 0, 0, 0};
  s.stops[2] = {true, 0, 0, 1, 100};
  s.handles[1] = {true, 50, 30};
  const Gradient g = BuildGradient(s);
  EXPECT_EQ(g.colorRamp.primary.size(), 3u);
  EXPECT_EQ(g.alphaRamp.primary.size(), 2u);
}

TEST(GradientSettings, SmoothWrapFlags) {
  struct Case {
    const char *name;
    GradientUse use;
    bool smoothWrap;
    double cycleScale;
    PF_Fixed offset;
    std::int32_t valuesOver1;
    bool additions, edgeBlend;
  };
  constexpr double kNearOne = 1 + 1e-9;  // 1 as a float
  constexpr auto kRender = GradientUse::kRender, kEditor = GradientUse::kEditor;
  const Case cases[] = {
      {"off", kRender, false, 2, 90 << 16, kValuesOver1Wrap, false, false},
      {"plain", kRender, true, 1, 0, kValuesOver1Bounce, false, false},
      {"offset", kRender, true, 1, -90 << 16, kValuesOver1Clamp, true, false},
      {"whole turn", kRender, true, 1, 360 << 16, kValuesOver1Bounce, false, false},
      {"wrap back to 0", kRender, true, 1, 0, kValuesOver1Wrap, true, false},
      {"cycled", kEditor, true, 2, 0, kValuesOver1Bounce, true, true},
      {"below one adds nothing", kRender, true, 0.5, 0, kValuesOver1Wrap, false, true},
      {"render compares the float", kRender, true, kNearOne, 0, kValuesOver1Bounce, false, false},
      {"editor compares the double", kEditor, true, kNearOne, 0, kValuesOver1Bounce, true, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    GradientSettings s{.use = c.use,
                       .smoothWrap = c.smoothWrap,
                       .cycleScale = c.cycleScale,
                       .offset = c.offset,
                       .valuesOver1 = c.valuesOver1};
    s.stops[1] = {true, 1, 0, 0, 10};
    s.handles[1] = {true, 50, 30};
    const Gradient g = BuildGradient(s);
    EXPECT_EQ(g.colorRamp.primary.size() > g.colorRamp.secondary.size(), c.additions);
    EXPECT_EQ(g.alphaRamp.primary.size() > g.alphaRamp.secondary.size(), c.additions);
    EXPECT_TRUE(g.colorRamp.edgeBlend == c.edgeBlend && g.alphaRamp.edgeBlend == c.edgeBlend);
  }
}

}  // namespace
}  // namespace huewarp
