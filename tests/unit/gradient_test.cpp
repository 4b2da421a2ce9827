// Gradient ordering, rewrites, smooth-wrap construction and sampling.
#include "core/gradient.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace huewarp {

namespace {

// Grey stops given by their sampled level, stored squared as the ramp wants them.
std::vector<ColorStop> Greys(const std::vector<std::pair<float, float>> &levels) {
  std::vector<ColorStop> stops;
  for (auto [position, v] : levels) stops.push_back({position, v * v, v * v, v * v});
  return stops;
}

template <class Entry>
std::vector<float> Positions(const std::vector<Entry> &entries) {
  std::vector<float> positions;
  for (const Entry &e : entries) positions.push_back(e.position);
  return positions;
}

struct SampleCase {
  const char *name;
  std::vector<std::pair<float, float>> entries;  // position, grey level or alpha
  bool wrapActive, edgeBlend;
  float cycleScale, t, expected, tolerance = 1e-6f;
};

TEST(Gradient, SampleColor) {
  const float half = std::sqrt(0.5f);  // 0.70710677: the mean of the squares of 0 and 1
  const SampleCase cases[] = {
      {"squared midpoint", {{1, 1}, {0, 0}}, false, false, 1, 0.5f, half, 0},
      {"below first", {{0.3f, 0.5f}, {0.7f, 1}}, false, false, 1, 0.1f, 0.5f, 0},
      {"above last", {{0.3f, 0.5f}, {0.7f, 1}}, false, false, 1, 0.9f, 1, 0},
      {"cycle 2 at 0.5 is last", {{0, 0}, {1, 1}}, false, false, 2, 0.5f, 1, 0},
      {"cycle 2 above 0.5 wraps", {{0, 0}, {1, 1}}, false, false, 2, 0x1.000002p-1f, 0, 1e-3f},
      {"one stop, everything on", {{0.4f, 0.6f}}, true, true, 2, 0.99f, 0.6f, 1e-6f},
      {"edge blend, cycle below 1", {{0, 0}, {1, 1}}, true, true, 0.5f, 0.99f, 0.4974937f, 1e-6f},
      {"wrap run, no blend", {{0, 0}, {0.5f, 1}}, true, false, 1, 0.99f, half, 1e-5f},
      {"secondary near 0", {{0, 0}, {1, 1}}, true, true, 60, 0.0165f, 0.9949874f, 1e-5f},
      {"empty is black", {}, true, true, 2, 0.5f, 0, 0},
  };
  for (const SampleCase &c : cases) {
    std::vector<ColorStop> stops = Greys(c.entries);
    const Rgb got =
        SampleColor(ColorRamp(stops, c.wrapActive, c.edgeBlend, c.cycleScale), c.t, c.cycleScale);
    EXPECT_NEAR(got.red, c.expected, c.tolerance) << c.name;
    EXPECT_NEAR(got.green, c.expected, c.tolerance) << c.name;
    EXPECT_NEAR(got.blue, c.expected, c.tolerance) << c.name;
  }
}

TEST(Gradient, SampleAlpha) {
  const SampleCase cases[] = {
      {"linear", {{1, 1}, {0, 0}}, false, false, 1, 0.25f, 0.25f},
      {"empty is opaque", {}, false, false, 1, 0.5f, 1},
      {"edge blend, cycle below 1", {{0, 0.2f}, {1, 1}}, false, true, 0.5f, 0.02f, 0.604f},
      {"wrap run, no blend", {{0.3f, 0.5f}, {0.7f, 0.9f}}, true, false, 1, 0.01f, 0.7f},
      {"secondary near 0", {{0.3f, 0.5f}, {0.7f, 0.9f}}, true, true, 2, 0.005f, 0.7f},
  };
  for (const SampleCase &c : cases) {
    std::vector<AlphaHandle> handles;
    for (auto [position, alpha] : c.entries) handles.push_back({position, alpha});
    const AlphaRamp ramp(handles, c.wrapActive, c.edgeBlend, c.cycleScale);
    EXPECT_NEAR(SampleAlpha(ramp, c.t, c.cycleScale), c.expected, c.tolerance) << c.name;
  }
}

TEST(Gradient, ChannelsAndEqualPositions) {
  // Red to blue keeps the channels apart; the pair at 0.5 must not divide by zero, and at 0.5
  // gives the one given second: the sort keeps equal positions in the order given.
  std::vector<ColorStop> stops = {
      {0.5f, 1, 0, 0}, {0, 1, 0, 0}, {0.2f, 0, 0, 1}, {0.5f, 0, 0, 1}, {1, 0, 0, 1}};
  const ColorRamp ramp(stops, false, false, 1);
  const Rgb quarter = SampleColor(ramp, 0.05f, 1);
  EXPECT_NEAR(quarter.red, std::sqrt(0.75f), 1e-7f);
  EXPECT_EQ(quarter.green, 0);
  EXPECT_NEAR(quarter.blue, 0.5f, 1e-7f);
  const Rgb at = SampleColor(ramp, 0.5f, 1);
  EXPECT_TRUE(at.red == 0 && at.blue == 1);
  for (float t : {0.49f, 0.51f}) EXPECT_FALSE(std::isnan(SampleColor(ramp, t, 1).blue));
  // Many hard edges given from the top down (beyond any small-list shortcut of a sort): each
  // above the lowest (which holds its first below and at it) shows its first stop below it and
  // its second from it on.
  std::vector<ColorStop> edges;
  std::vector<AlphaHandle> handles;
  for (int k = 40; k > 0; --k) {
    const float p = static_cast<float>(k) / 41;
    edges.insert(edges.end(), {{p, 1, 0, 0}, {p, 0, 0, 1}});
    handles.insert(handles.end(), {{p, 1}, {p, 0}});
  }
  const ColorRamp sorted(edges, false, false, 1);
  const AlphaRamp alphas(handles, false, false, 1);
  for (int k = 2; k <= 40; ++k) {
    const float p = static_cast<float>(k) / 41;
    EXPECT_EQ(SampleColor(sorted, p, 1).blue, 1) << p;
    EXPECT_EQ(SampleAlpha(alphas, p, 1), 0) << p;
    EXPECT_GT(SampleColor(sorted, std::nextafter(p, 0.0f), 1).red, 0.99f) << p;
  }
}

TEST(Gradient, SmoothWrapAddsTheJoinOnlyWhenActiveAndCycleAtLeast1) {
  struct Case {
    std::vector<float> given;
    bool wrapActive;
    float cycleScale;
    std::vector<float> colorPrimary, alphaPrimary;
  };
  const Case cases[] = {
      {{0.6f, 0.2f}, true, 2, {0.2f, 0.6f, 0.98f, 1}, {0, 0.02f, 0.2f, 0.6f}},
      {{1, 0.99f, 0.1f}, true, 1, {0.1f, 0.98f, 0.98f, 1}, {0, 0.02f, 0.1f, 0.99f, 1}},
      {{0.01f, 0, 0.7f}, true, 1, {0, 0.01f, 0.7f, 0.98f, 1}, {0, 0.02f, 0.02f, 0.7f}},
      {{0.6f, 0.2f}, true, 0.5f, {0.2f, 0.6f}, {0.2f, 0.6f}},
      {{0.6f, 0.2f}, false, 2, {0.2f, 0.6f}, {0.2f, 0.6f}},
  };
  for (const Case &c : cases) {
    std::vector<ColorStop> stops;
    std::vector<AlphaHandle> handles;
    for (float p : c.given) {
      stops.push_back({p, p, p, p});
      handles.push_back({p, p});
    }
    const ColorRamp colors(stops, c.wrapActive, true, c.cycleScale);
    const AlphaRamp alphas(handles, c.wrapActive, true, c.cycleScale);
    EXPECT_EQ(Positions(colors.primary), c.colorPrimary);
    EXPECT_EQ(Positions(alphas.primary), c.alphaPrimary);
    EXPECT_EQ(Positions(colors.secondary), Positions(stops));  // sorted, nothing added
    EXPECT_EQ(Positions(alphas.secondary), Positions(handles));
  }
  std::vector<AlphaHandle> ones = {{0.2f, 1}, {0.8f, 1}}, almost = {{0.5f, 0.999f}};
  EXPECT_TRUE(AlphaRamp(ones, true, true, 2).opaque);
  EXPECT_FALSE(AlphaRamp(almost, false, false, 1).opaque);
}

TEST(Gradient, DiscreteRewriteMakesNarrowSteps) {
  const ColorStop red{0, 1, 0, 0}, green{0.5f, 0, 1, 0}, blue{1, 0, 0, 1};
  const auto three = MakeDiscreteColorStops({blue, red, green});
  EXPECT_EQ(Positions(three), (std::vector<float>{0, 0.01f, 0.49f, 0.51f, 0.99f}));
  const float greens[] = {0, 1, 1, 0, 0};
  for (std::size_t i = 0; i < three.size(); ++i) EXPECT_EQ(three[i].green, greens[i]) << i;

  const auto ends = MakeDiscreteColorStops({blue, red});
  EXPECT_EQ(Positions(ends), (std::vector<float>{0, 0.01f, 0.99f}));
  EXPECT_TRUE(ends[0].red == 1 && ends[1].blue == 1 && ends[2].blue == 1);

  const auto alphas = MakeDiscreteAlphaHandles({{0.6f, 0.8f}, {0.3f, 0.2f}});
  ASSERT_EQ(alphas.size(), 4u);
  const float expected[][2] = {{0.29f, 0.2f}, {0.31f, 0.8f}, {0.59f, 0.8f}, {0.61f, 0.8f}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(alphas[i].position, expected[i][0]) << i;
    EXPECT_EQ(alphas[i].alpha, expected[i][1]) << i;
  }
}

}  // namespace

}  // namespace huewarp
