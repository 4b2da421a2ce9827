// Settings to ramps: which slots count, the units, the editor's whole-percent stops, the discrete
// rewrite and the smooth-wrap flags for render and editor.
#include "core/gradient_settings.h"

#include <gtest/gtest.h>

namespace huewarp {
namespace {

TEST(GradientSettings, ShownSlotsInPercentBecomeSortedStopsAndHandles) {
  struct Case {
    const char *name;
    GradientUse use;
    double position;
    float expected;
  };
  const Case cases[] = {
      {"render keeps the position", GradientUse::kRender, 49.5, 0.495f},
      {"editor rounds half up", GradientUse::kEditor, 49.5, 0.5f},
      {"editor rounds down", GradientUse::kEditor, 49.4, 0.49f},
      {"editor rounds half away from zero", GradientUse::kEditor, -0.5, -0.01f},
  };
  for (const Case &c : cases) {
    GradientSettings s{.use = c.use};
    s.stops[7] = {true, 0.5f, 0.25f, 1, c.position};
    s.stops[2] = {true, 1, 1, 1, 80};
    s.stops[3] = {false, 1, 1, 1, 10};
    s.handles[4] = {true, 62.5, 40};
    const Gradient g = BuildGradient(s);
    ASSERT_EQ(g.colorRamp.primary.size(), 2u) << c.name;
    const ColorStop &stop = g.colorRamp.primary[0];
    EXPECT_EQ(stop.position, c.expected) << c.name;
    EXPECT_EQ(stop.red, 0.25f) << c.name;
    EXPECT_EQ(stop.green, 0.0625f) << c.name;
    EXPECT_EQ(g.colorRamp.primary[1].position, 0.8f) << c.name;
    ASSERT_EQ(g.alphaRamp.primary.size(), 1u) << c.name;
    // Handles keep their exact position for the editor too.
    EXPECT_EQ(g.alphaRamp.primary[0].position, 0.625f) << c.name;
    EXPECT_EQ(g.alphaRamp.primary[0].alpha, 0.4f) << c.name;
  }
}

TEST(GradientSettings, DiscreteRewritesStopsAndHandles) {
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
  constexpr double kJustAboveOne = 1 + 1e-9;  // 1 as a float
  const Case cases[] = {
      {"off", GradientUse::kRender, false, 2, 90 << 16, kValuesOver1Wrap, false, false},
      {"plain", GradientUse::kRender, true, 1, 0, kValuesOver1Bounce, false, false},
      {"offset", GradientUse::kRender, true, 1, -90 << 16, kValuesOver1Clamp, true, false},
      {"whole turn", GradientUse::kRender, true, 1, 360 << 16, kValuesOver1Bounce, false, false},
      {"wrap back to 0", GradientUse::kRender, true, 1, 0, kValuesOver1Wrap, true, false},
      {"cycled", GradientUse::kEditor, true, 2, 0, kValuesOver1Bounce, true, true},
      {"below one adds nothing", GradientUse::kRender, true, 0.5, 0, kValuesOver1Wrap, false, true},
      {"render compares the float", GradientUse::kRender, true, kJustAboveOne, 0,
       kValuesOver1Bounce, false, false},
      {"editor compares the double", GradientUse::kEditor, true, kJustAboveOne, 0,
       kValuesOver1Bounce, true, true},
  };
  for (const Case &c : cases) {
    GradientSettings s{.use = c.use,
                       .smoothWrap = c.smoothWrap,
                       .cycleScale = c.cycleScale,
                       .offset = c.offset,
                       .valuesOver1 = c.valuesOver1};
    s.stops[1] = {true, 1, 0, 0, 10};
    s.stops[2] = {true, 0, 0, 1, 60};
    s.handles[1] = {true, 50, 30};
    const Gradient g = BuildGradient(s);
    EXPECT_EQ(g.colorRamp.primary.size() > g.colorRamp.secondary.size(), c.additions) << c.name;
    EXPECT_EQ(g.alphaRamp.primary.size() > g.alphaRamp.secondary.size(), c.additions) << c.name;
    EXPECT_EQ(g.colorRamp.edgeBlend, c.edgeBlend) << c.name;
    EXPECT_EQ(g.alphaRamp.edgeBlend, c.edgeBlend) << c.name;
  }
}

}  // namespace
}  // namespace huewarp
