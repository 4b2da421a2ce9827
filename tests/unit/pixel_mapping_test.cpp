// Input values, range mapping, composite and blend, and the 8- and 16-bit wrappers.
#include "core/pixel_mapping.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "core/gradient.h"

namespace huewarp {

namespace {

// A frame's record with its own ramps. The probe gradient maps t to colour sqrt(t) (black to
// white, interpolated as squares) and to alpha t, so the output alpha shows t exactly.
struct Mapping {
  Mapping(std::vector<ColorStop> stops, std::vector<AlphaHandle> handles, bool wrapActive = false,
          bool edgeBlend = false, float cycleScale = 1)
      : colors(stops, wrapActive, edgeBlend, cycleScale),
        alphas(handles, wrapActive, edgeBlend, cycleScale) {
    data.colorRamp = &colors;
    data.alphaRamp = &alphas;
    data.inputRange = kInputRed;
    data.valuesOver1 = kValuesOver1Clamp;
    data.cycleScale = cycleScale;
  }
  Mapping(const Mapping &) = delete;

  ColorRamp colors;
  AlphaRamp alphas;
  PreRenderData data{};
};

Mapping Probe() { return Mapping({{0, 0, 0, 0}, {1, 1, 1, 1}}, {{0, 0}, {1, 1}}); }

template <class Pixel>
std::array<float, 4> Channels(const Pixel &p) {
  return {static_cast<float>(p.alpha), static_cast<float>(p.red), static_cast<float>(p.green),
          static_cast<float>(p.blue)};
}

PF_PixelFloat RunFloat(PreRenderData &data, PF_PixelFloat in) {
  PF_PixelFloat out{};
  MapPixelFloat(&data, 0, 0, &in, &out);
  return out;
}

TEST(PixelMapping, InputValueOfEveryRange) {
  // Pure red, black, grey 0.5 and (0.2, 0.4, 0.8), each with alpha 0.25; one row per pixel, one
  // column per "Input Range" value 0..19 (0 and the separators 4, 9, 14, 17 give 0).
  const PF_PixelFloat pixels[] = {
      {0.25f, 1, 0, 0}, {0.25f, 0, 0, 0}, {0.25f, 0.5f, 0.5f, 0.5f}, {0.25f, 0.2f, 0.4f, 0.8f}};
  // clang-format off
  const float expected[4][20] = {
    // -        I          H    S  -    R    G    B     A  -     C    M  Y    K  -   mn   mx  -  mnK   mxK
      {0,  .2126f,         0,   1, 0,   1,   0,   0, .25f, 0,    0,   1, 1,   0, 0,   0,   1, 0,   0,    1},
      {0,       0,         0,   0, 0,   0,   0,   0, .25f, 0,    0,   0, 0,   1, 0,   0,   0, 0,   0,    0},
      {0,     .5f,         0,   0, 0, .5f, .5f, .5f, .25f, 0,    0,   0, 0, .5f, 0, .5f, .5f, 0,   0,    0},
      {0, .38636f, .6111111f, .6f, 0, .2f, .4f, .8f, .25f, 0, .75f, .5f, 0, .2f, 0, .2f, .8f, 0,   0, .75f},
  };
  // clang-format on
  for (int p = 0; p < 4; ++p) {
    for (std::uint16_t range = 0; range < 20; ++range) {
      EXPECT_NEAR(InputValue(range, pixels[p]), expected[p][range], 1e-6f)
          << "pixel " << p << ", range " << range;
    }
  }
  EXPECT_EQ(InputValue(99, pixels[0]), 0);
}

TEST(PixelMapping, HueAndSaturationBranches) {
  // clang-format off
  const float cases[][5] = {  // red, green, blue, hue, saturation
      {1, 0, 0.5f, 0.9166667f, 1}, {0, 1, 0, 0.33333334f, 1}, {1, 1, 0, 0.16666667f, 1},
      {0.9f, 0.7f, 0.8f, 0.9166667f, 0.5f}, {0.1f, 0.3f, 0.2f, 0.4166667f, 0.5f}};
  // clang-format on
  for (const auto &c : cases) {
    EXPECT_NEAR(HueOf(c[0], c[1], c[2]), c[3], 1e-6f) << c[0] << " " << c[1] << " " << c[2];
    EXPECT_NEAR(SaturationOf(c[0], c[1], c[2]), c[4], 1e-6f) << c[0] << " " << c[1] << " " << c[2];
  }
}

TEST(PixelMapping, GradientPositionPerMode) {
  const float inf = INFINITY;
  constexpr std::uint16_t kClamp = kValuesOver1Clamp, kWrap = kValuesOver1Wrap,
                          kBounce = kValuesOver1Bounce;
  struct Case {
    std::uint16_t mode;
    PF_Fixed degrees;
    bool flip;
    float v, t;
  };
  // clang-format off
  const Case cases[] = {
      {kWrap, 0, false, 1.0f, 1},       {kWrap, 0, false, 1.25f, 0.25f},  {kWrap, 0, false, -0.3f, 0},
      {kWrap, 0, false, inf, 0},        {kWrap, -90, false, 0.5f, 0.25f}, {kWrap, 720, false, 0.5f, 0.5f},
      {kBounce, 0, false, 2.3f, 0.3f},  {kBounce, 0, false, -0.4f, 0.4f}, {kBounce, 0, false, 3.5f, 0.5f},
      {kBounce, 0, false, 2, 0},        {kBounce, 0, false, 3, 1},        {kBounce, 0, false, 1e10f, 0},
      {kBounce, 0, false, inf, 0},      {kBounce, 0, false, -inf, 0},     {kBounce, 0, false, NAN, 0},
      {kBounce, 360, false, 0.3f, 0.7f}, {kBounce, 720, false, 0.5f, 0.5f}, {kClamp, 90, false, 0.8f, 1},
      {kClamp, 90, false, 0.5f, 0.75f}, {kClamp, -90, false, 0.5f, 0.25f}, {kClamp, 720, false, 0.5f, 1},
      {kClamp, 0, false, NAN, 0},       {kClamp, 0, true, NAN, 1},        {kClamp, 0, false, inf, 1},
      {kClamp, 0, true, 0.2f, 0.8f},    {0, 90, false, 0.5f, 0.5f},
  };
  // clang-format on
  for (const Case &c : cases) {
    PreRenderData data{};
    data.valuesOver1 = c.mode;
    data.flip = c.flip;
    data.offsetTurns = OffsetTurns(c.degrees * 65536);
    data.offsetWrapped = OffsetWrapped(c.degrees * 65536);
    EXPECT_NEAR(GradientPosition(data, c.v), c.t, 1e-6f)
        << "mode " << c.mode << ", " << c.degrees << " degrees, v " << c.v;
  }
  EXPECT_EQ(OffsetWrapped(-90 * 65536), 0.75f);
  EXPECT_EQ(OffsetTurns(-90 * 65536), -0.25f);
}

TEST(PixelMapping, CompositeAndBlend) {
  // The probe maps red 0.25 to colour 0.5 and alpha 0.25 * input alpha.
  struct Case {
    bool composite;
    float blend;
    PF_PixelFloat in, out;
  };
  const Case cases[] = {
      {false, 0, {1, 0.25f, 0.9f, 0.1f}, {0.25f, 0.5f, 0.5f, 0.5f}},
      {true, 0, {1, 0.25f, 0.9f, 0.1f}, {1, 0.3125f, 0.8f, 0.2f}},
      {true, 0, {0.6f, 0, 0.9f, 0.1f}, {0.6f, 0, 0.9f, 0.1f}},  // transparent lookup: the input
      {true, 0, {1, 1, 0.9f, 0.1f}, {1, 1, 1, 1}},              // opaque lookup: unchanged
      {false, 0.5f, {1, 0.25f, 0.9f, 0.1f}, {0.625f, 0.375f, 0.7f, 0.3f}},
      {true, 0.5f, {1, 0.25f, 0.9f, 0.1f}, {1, 0.28125f, 0.85f, 0.15f}},
      {false, 1, {0.2f, 0.25f, 0.9f, 0.1f}, {0.2f, 0.25f, 0.9f, 0.1f}},
  };
  Mapping m = Probe();
  for (const Case &c : cases) {
    m.data.composite = c.composite;
    m.data.blend = c.blend;
    const auto got = Channels(RunFloat(m.data, c.in)), want = Channels(c.out);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-6f) << i;
  }
}

TEST(PixelMapping, IntegerScalesAndRounding) {
  // Wrap Back To 0 keeps 1.0 at 1 but sends anything above it to the bottom: so the 16-bit full
  // scale must read as exactly 1.
  Mapping m = Probe();
  m.data.valuesOver1 = kValuesOver1Wrap;
  PF_Pixel16 full{32768, 32768, 0, 0}, out16{};
  MapPixel16(&m.data, 0, 0, &full, &out16);
  EXPECT_EQ(out16.alpha, 32768);
  EXPECT_EQ(out16.blue, 32768);

  // Half the input alpha (lookup alpha 0, blend 0.5) shows where halves go.
  Mapping zero({{0, 0, 0, 0}}, {{0, 0}});
  zero.data.blend = 0.5f;
  const int halves[][2] = {{32768, 16384}, {1, 1}, {3, 2}, {0, 0}};  // input, output
  for (const auto &[in, expected] : halves) {
    PF_Pixel16 p{static_cast<A_u_short>(in), 0, 0, 0};
    MapPixel16(&zero.data, 0, 0, &p, &out16);
    EXPECT_EQ(out16.alpha, expected) << in;
  }
  PF_Pixel8 p8{255, 0, 0, 0}, out8{};
  MapPixel8(&zero.data, 0, 0, &p8, &out8);
  EXPECT_EQ(out8.alpha, 128);  // 127.5 rounds away from zero

  // 8-bit 51 reads as 51 * 0.003921569f, just above 0.2 (51 / 255 is not): five cycles wrap it to
  // the bottom of the gradient instead of landing on the top.
  Mapping five({{0, 0, 0, 0}, {1, 1, 1, 1}}, {{0, 1}}, false, false, 5);
  PF_Pixel8 fifth{255, 51, 0, 0};
  MapPixel8(&five.data, 0, 0, &fifth, &out8);
  EXPECT_EQ(out8.red, 0);
}

TEST(PixelMapping, DepthsAgreeAndStayInRange) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0, 1);
  const auto coin = [&] { return (rng() & 1) != 0; };
  for (int g = 0; g < 2000; ++g) {
    std::vector<ColorStop> stops(1 + rng() % 6);
    for (ColorStop &s : stops) s = {unit(rng), unit(rng), unit(rng), unit(rng)};
    std::vector<AlphaHandle> handles(1 + rng() % 4);
    for (AlphaHandle &h : handles) h = {unit(rng), coin() ? 1.0f : unit(rng)};
    if (coin()) stops = MakeDiscreteColorStops(stops);
    const float cycle = coin() ? 1.0f : 0.01f + 20 * unit(rng);
    const bool wrapActive = coin();
    const bool edgeBlend = coin();
    Mapping m(stops, handles, wrapActive, edgeBlend, cycle);
    PreRenderData &d = m.data;
    d.inputRange = static_cast<std::uint16_t>(1 + rng() % 19);
    d.valuesOver1 = static_cast<std::uint16_t>(1 + rng() % 3);
    const auto degrees = static_cast<PF_Fixed>(rng() % (1440 * 65536)) - 720 * 65536;
    d.offsetTurns = OffsetTurns(degrees);
    d.offsetWrapped = OffsetWrapped(degrees);
    d.flip = coin();
    d.composite = coin();
    d.blend = coin() ? 0.0f : unit(rng);
    // An integer pixel through its wrapper and, read as value / scale, through the float core.
    const auto agree = [&](auto in, auto map, float scale) {
      decltype(in) out{};
      map(&d, 0, 0, &in, &out);
      const auto want = Channels(
          RunFloat(d, {in.alpha / scale, in.red / scale, in.green / scale, in.blue / scale}));
      const auto got = Channels(out);
      for (int c = 0; c < 4; ++c) {
        ASSERT_NEAR(got[c], want[c] * scale, 1) << "gradient " << g << ", channel " << c;
        ASSERT_TRUE(want[c] >= 0 && want[c] <= 1) << "gradient " << g << ", channel " << c;
      }
    };
    for (int i = 0; i < 20; ++i) {
      const auto c8 = [&] { return static_cast<A_u_char>(rng()); };
      const auto c16 = [&] { return static_cast<A_u_short>(rng() % 32769); };
      agree(PF_Pixel8{c8(), c8(), c8(), c8()}, MapPixel8, 255);
      agree(PF_Pixel16{c16(), c16(), c16(), c16()}, MapPixel16, 32768);
      // The host may hand the same pixel as input and output.
      PF_PixelFloat pixel{unit(rng), unit(rng), unit(rng), unit(rng)};
      const PF_PixelFloat separate = RunFloat(d, pixel);
      MapPixelFloat(&d, 0, 0, &pixel, &pixel);
      ASSERT_EQ(std::memcmp(&pixel, &separate, sizeof pixel), 0);
    }
  }
}

}  // namespace

}  // namespace huewarp
