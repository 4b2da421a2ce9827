// The per-frame fast paths against the reference callbacks, bit for bit: every input level at 8
// and 16 bits for a family of gradients and every input range, random pixels (NaN, infinities,
// values outside 0..1) at every depth with and without the processor's fused multiply-add, and
// the exact shortcuts the fast kernel takes instead of library remainders.
#include "core/fast_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/gradient_settings.h"
#include "core/mapping_kernel.h"
#include "core/pixel_mapping.h"
#include "mapping_families.h"

namespace huewarp {
namespace {

using testing::Family;
using testing::Frame;
using testing::Stops;

template <class Pixel>
::testing::AssertionResult SameAsReference(PreRenderData &data, Pixel in,
                                           PF_Err (*fast)(void *, A_long, A_long, Pixel *, Pixel *),
                                           PF_Err (*reference)(void *, A_long, A_long, Pixel *,
                                                               Pixel *)) {
  Pixel want{}, got{};
  reference(&data, 0, 0, &in, &want);
  // In place, as a host may hand the same pixel for both.
  got = in;
  fast(&data, 0, 0, &got, &got);
  if (std::memcmp(&want, &got, sizeof(Pixel)) == 0) return ::testing::AssertionSuccess();
  const auto show = [](const Pixel &p) {
    return std::to_string(+p.alpha) + " " + std::to_string(+p.red) + " " +
           std::to_string(+p.green) + " " + std::to_string(+p.blue);
  };
  return ::testing::AssertionFailure()
         << "input " << show(in) << ": fast " << show(got) << ", reference " << show(want);
}

const std::uint16_t kRanges[] = {1, 2, 3, 5, 6, 7, 8, 10, 11, 12, 13, 15, 16, 18, 19, 4};

struct LevelCase {
  Family family;
  int bitdepth;
};
void PrintTo(const LevelCase &c, std::ostream *os) { *os << c.family.name << c.bitdepth; }

class EveryLevel : public ::testing::TestWithParam<LevelCase> {};

// Each level once as a grey pixel and once in each channel of an otherwise random pixel, so that
// every one-level entry is read under every channel; 16 bits add channels above white. At 8 bits
// every pair of levels also comes as each rotation of (a, b, a level between), so every entry of
// each two-level table is read.
template <class Pixel, int kMax>
void CheckEveryLevel(Frame &frame, PF_Err (*fast)(void *, A_long, A_long, Pixel *, Pixel *),
                     PF_Err (*reference)(void *, A_long, A_long, Pixel *, Pixel *), int beyond,
                     int step) {
  using Channel = decltype(Pixel{}.alpha);
  std::mt19937 rng(frame.data.inputRange);
  const auto any = [&] { return static_cast<Channel>(rng() % (kMax + 1)); };
  for (int level = 0; level <= kMax + beyond; level += level < kMax ? step : 97) {
    const auto l = static_cast<Channel>(level);
    const Pixel pixels[] = {{any(), l, l, l},
                            {l, any(), any(), any()},
                            {any(), l, any(), any()},
                            {any(), any(), l, any()},
                            {any(), any(), any(), l}};
    for (const Pixel &p : pixels) {
      ASSERT_TRUE(SameAsReference(frame.data, p, fast, reference))
          << "range " << frame.data.inputRange << ", level " << level;
    }
  }
  const Reads reads = ReadsOf(frame.data.inputRange);
  if (kMax != 255 || reads < Reads::kRedAndMax || reads == Reads::kAll) return;
  for (int a = 0; a <= kMax; ++a) {
    for (int b = 0; b <= kMax; ++b) {
      const auto ca = static_cast<Channel>(a), cb = static_cast<Channel>(b);
      const auto mid = static_cast<Channel>(std::min(a, b) + rng() % (std::abs(a - b) + 1));
      const Pixel pixels[] = {{any(), ca, cb, mid}, {any(), mid, ca, cb}, {any(), cb, mid, ca}};
      for (const Pixel &p : pixels) {
        ASSERT_TRUE(SameAsReference(frame.data, p, fast, reference))
            << "range " << frame.data.inputRange << ", levels " << a << " " << b;
      }
    }
  }
}

TEST_P(EveryLevel, GivesTheReferencePixel) {
  const LevelCase &c = GetParam();
  for (std::uint16_t range : kRanges) {
    for (bool hardware : {false, true}) {
      if (hardware && !HasHardwareFma()) continue;
      Frame frame(c.family, range, c.bitdepth, hardware);
      // Every range but those reading all three colours has a table at 8 bits; at 16 bits not
      // the pairs either.
      const Reads reads = ReadsOf(range);
      const bool table = reads != Reads::kAll && (c.bitdepth == 8 || reads < Reads::kRedAndMax);
      const FastMode mode = ModeOf(frame.data, c.bitdepth);
      ASSERT_EQ(mode == FastMode::kTableOutput || mode == FastMode::kTableLooked, table) << range;
      if (c.bitdepth == 8) {
        CheckEveryLevel<PF_Pixel8, 255>(frame, frame.map.map8, MapPixel8, 0, 1);
      } else {
        // Without a table the levels are sampled; the random pixels test covers those ranges.
        CheckEveryLevel<PF_Pixel16, 32768>(frame, frame.map.map16, MapPixel16, 32767,
                                           table ? 1 : 13);
      }
    }
  }
}

std::vector<LevelCase> LevelCases() {
  std::vector<LevelCase> cases;
  for (const Family &f : testing::FullFamily()) {
    for (int depth : {8, 16}) cases.push_back({f, depth});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Families, EveryLevel, ::testing::ValuesIn(LevelCases()),
                         [](const auto &info) {
                           return info.param.family.name + "_" +
                                  std::to_string(info.param.bitdepth);
                         });

float AnyFloat(std::mt19937 &rng) {
  switch (rng() % 8) {
    case 0:
      return std::bit_cast<float>(static_cast<std::uint32_t>(rng()));  // NaN, inf, subnormal
    case 1:
      return std::ldexp(static_cast<float>(rng() % 2000) - 1000.0f, -static_cast<int>(rng() % 12));
    case 2: {
      const float specials[] = {0.0f, -0.0f, 1.0f, INFINITY, -INFINITY, NAN, 2.0f, 1e10f, -1e-40f};
      return specials[rng() % 9];
    }
    default:
      return static_cast<float>(rng() % 1000001) / 1000000.0f;
  }
}

// Random pixels through the indexed sampling at every depth, and random gradients around them.
TEST(FastPath, RandomPixelsAndGradientsGiveTheReferencePixel) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> unit(0, 1);
  std::vector<Family> families = testing::FullFamily();
  for (int g = 0; g < 40; ++g) {
    Family f{"Random", Stops(1 + rng() % 40, rng()), {}};
    for (int i = 0, n = 1 + rng() % 12; i < n; ++i)
      f.handles.push_back({true, 100 * unit(rng), 100 * unit(rng)});
    f.discrete = rng() & 1;
    f.smoothWrap = rng() & 1;
    f.composite = rng() & 1;
    f.flip = rng() & 1;
    f.cycleScale = rng() & 1 ? 1.0f : 0.01f + 20 * unit(rng);
    f.blend = rng() & 1 ? 0.0f : unit(rng);
    f.valuesOver1 = static_cast<std::uint16_t>(rng() % 4);
    f.degrees = static_cast<PF_Fixed>(rng() % 1440) - 720;
    families.push_back(f);
  }
  for (const Family &f : families) {
    for (std::uint16_t range : kRanges) {
      for (bool hardware : {false, true}) {
        if (hardware && !HasHardwareFma()) continue;
        Frame frame(f, range, 32, hardware);
        for (int i = 0; i < 400; ++i) {
          const PF_PixelFloat p{AnyFloat(rng), AnyFloat(rng), AnyFloat(rng), AnyFloat(rng)};
          ASSERT_TRUE(SameAsReference(frame.data, p, frame.map.mapFloat, MapPixelFloat))
              << f.name << ", range " << range;
          const auto c16 = [&] { return static_cast<A_u_short>(rng()); };
          ASSERT_TRUE(SameAsReference(frame.data, PF_Pixel16{c16(), c16(), c16(), c16()},
                                      frame.map.map16, MapPixel16))
              << f.name << ", range " << range;
          const auto c8 = [&] { return static_cast<A_u_char>(rng()); };
          ASSERT_TRUE(SameAsReference(frame.data, PF_Pixel8{c8(), c8(), c8(), c8()}, frame.map.map8,
                                      MapPixel8))
              << f.name << ", range " << range;
        }
      }
    }
  }
}

// The remainder shortcut equals the double fmod above 1.
TEST(FastPath, FractionAboveOneIsTheLibraryRemainder) {
  // Every float of (1, 4), then every 61st bit pattern up to 2^26.
  const std::uint32_t four = std::bit_cast<std::uint32_t>(4.0f);
  const std::uint32_t end = std::bit_cast<std::uint32_t>(0x1p26f);
  for (std::uint32_t bits = std::bit_cast<std::uint32_t>(1.0f) + 1; bits <= end;
       bits += bits < four ? 1 : 61) {
    const float x = std::bit_cast<float>(bits);
    const float want = static_cast<float>(std::fmod(static_cast<double>(x), 1.0));
    ASSERT_EQ(std::bit_cast<std::uint32_t>(kernel::FractionAboveOne(x)),
              std::bit_cast<std::uint32_t>(want))
        << x;
  }
  EXPECT_TRUE(std::isnan(kernel::FractionAboveOne(INFINITY)));
}

// The branch-free rounding equals the reference one for every float from 2^-14 to beyond full
// scale, and at the edges below and above.
TEST(FastPath, RoundingWithoutBranchesIsTheReferenceRounding) {
  const std::uint32_t end = std::bit_cast<std::uint32_t>(40000.0f);
  for (std::uint32_t bits = std::bit_cast<std::uint32_t>(0x1p-14f); bits <= end; ++bits) {
    const float s = std::bit_cast<float>(bits);
    ASSERT_EQ((kernel::RoundedWithoutBranches<A_u_short, 32768>(s)),
              (kernel::Rounded<A_u_short, 32768>(s)))
        << s;
    ASSERT_EQ((kernel::RoundedWithoutBranches<A_u_char, 255>(s)),
              (kernel::Rounded<A_u_char, 255>(s)))
        << s;
  }
  for (float s : {0.0f, -0.0f, 0x1p-15f, 0x1p-149f, -1.0f, -INFINITY, INFINITY, NAN, 1e30f}) {
    EXPECT_EQ((kernel::RoundedWithoutBranches<A_u_short, 32768>(s)),
              (kernel::Rounded<A_u_short, 32768>(s)))
        << s;
    EXPECT_EQ((kernel::RoundedWithoutBranches<A_u_char, 255>(s)),
              (kernel::Rounded<A_u_char, 255>(s)))
        << s;
  }
}

}  // namespace
}  // namespace huewarp
