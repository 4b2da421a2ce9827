// Our FusedMultiplyAdd against a correctly rounded reference: glibc's fma and fmaf, or, where the C
// library's are not correctly rounded (mingw-w64), the processor's own fused instruction.
#include "core/fused_multiply_add.h"

#include "core/fast_path.h"
#include "core/mapping_kernel.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace huewarp {

namespace {

#if defined(__GLIBC__)
constexpr bool kHaveReference = true;
double ReferenceFma(double a, double b, double c) { return std::fma(a, b, c); }
float ReferenceFma(float a, float b, float c) { return std::fmaf(a, b, c); }
#else
const bool kHaveReference = __builtin_cpu_supports("fma");
__attribute__((target("fma"))) double ReferenceFma(double a, double b, double c) {
  return __builtin_fma(a, b, c);
}
__attribute__((target("fma"))) float ReferenceFma(float a, float b, float c) {
  return __builtin_fmaf(a, b, c);
}
#endif

class FusedMultiplyAddTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kHaveReference) GTEST_SKIP() << "no correctly rounded reference on this machine";
  }
};

template <class T>
::testing::AssertionResult SameAsLibrary(T a, T b, T c) {
  const T expected = ReferenceFma(a, b, c);
  const T actual = FusedMultiplyAdd(a, b, c);
  // Bit equality, so that the sign of a zero counts; any NaN matches any NaN.
  const auto bits = [](T x) { return std::bit_cast<std::uint64_t>(static_cast<double>(x)); };
  if ((std::isnan(expected) && std::isnan(actual)) || bits(actual) == bits(expected)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "fma(" << a << ", " << b << ", " << c << ") = " << actual << ", expected " << expected;
}

TEST_F(FusedMultiplyAddTest, MatchesLibraryOnChosenCases) {
  const double cases[][3] = {
      {0x1p-26, 0x1p-27, 1.0},                  // exact tie, rounds to even (down)
      {0x1p-26, 0x1p-27, 0x1.0000000000001p0},  // exact tie, rounds to even (up)
      {1 + 0x1p-30, 1 - 0x1p-30, -1.0},         // the high part cancels entirely
      {-0.0, 1.0, 0.0},
      {-0.0, 1.0, -0.0},
      {3.0, 5.0, 0.0},
      {INFINITY, 0.0, 1.0},
      {INFINITY, 2.0, -1.0},
      {NAN, 1.0, 1.0},
  };
  for (const auto &c : cases) {
    EXPECT_TRUE(SameAsLibrary(c[0], c[1], c[2]));
    EXPECT_TRUE(SameAsLibrary<float>(c[0], c[1], c[2]));
  }
  // Rounding the double sum to nearest first would land on the float tie and round down.
  EXPECT_TRUE(SameAsLibrary(0x1.000002p0f, -0x1.fffffcp-25f, 0x1.000002p0f));
}

// a*b = (1 + x)(1 -+ x) times half an ulp of c, x = j * 2^-k small: c + a*b lies a hair (x*x)
// from a tie of c, or an odd number of small steps from it, closer than rounding the sum first
// could tell.
template <class T>
void CheckNearHalfway(int digits, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> mantissa(1.0, 2.0);
  for (int i = 0; i < 100000; ++i) {
    const int exponent = static_cast<int>(rng() % 200) - 100;
    const T c = std::ldexp(static_cast<T>(mantissa(rng)), exponent) * ((rng() & 1) ? 1 : -1);
    const T x = std::ldexp(static_cast<T>(1 + 2 * (rng() % 128)), -digits + 1 - int(rng() % 8));
    const int shift = static_cast<int>(rng() % 11) - 5;
    const T a = std::ldexp(1 + x, shift);
    const T b =
        std::ldexp((rng() & 1) ? 1 - x : 1 + x, exponent - digits - shift) * ((rng() & 1) ? 1 : -1);
    ASSERT_TRUE(SameAsLibrary(a, b, c));
  }
}

TEST_F(FusedMultiplyAddTest, MatchesLibraryNearHalfway) {
  CheckNearHalfway<float>(24, 2024);
  CheckNearHalfway<double>(53, 2025);
}

TEST_F(FusedMultiplyAddTest, MatchesLibraryOnRandomInputs) {
  std::mt19937_64 rng(99);
  // Floats: any bit pattern, subnormals, infinities and NaN included.
  const auto anyFloat = [&] { return std::bit_cast<float>(static_cast<std::uint32_t>(rng())); };
  for (int i = 0; i < 300000; ++i) ASSERT_TRUE(SameAsLibrary(anyFloat(), anyFloat(), anyFloat()));
  // Doubles within the documented range, c cancelling the product half of the time.
  std::uniform_real_distribution<double> mantissa(-2.0, 2.0);
  const auto scaled = [&](int range) {
    return std::ldexp(mantissa(rng), static_cast<int>(rng() % (2 * range)) - range);
  };
  for (int i = 0; i < 300000; ++i) {
    const double a = scaled(450), b = scaled(450);
    const double c = (rng() & 1) ? -a * b * (1 + std::ldexp(mantissa(rng), -40)) : scaled(900);
    ASSERT_TRUE(SameAsLibrary(a, b, c));
  }
}

#if defined(HUEWARP_HAS_FMA_TARGET)
// The render switches to the processor's instruction at run time: it must give our bits for every
// input, and for the double form on products of floats as the intensity weights use it. A NaN
// result is left to the software operation, compiled once.
TEST(HardwareFusedMultiplyAdd, SameBitsAsSoftware) {
  if (!HasHardwareFma()) GTEST_SKIP() << "no fused multiply-add instruction";
  using kernel::HardwareFma;
  std::mt19937_64 rng(5);
  const auto anyFloat = [&] { return std::bit_cast<float>(static_cast<std::uint32_t>(rng())); };
  for (int i = 0; i < 1000000; ++i) {
    const float a = anyFloat(), b = anyFloat(), c = anyFloat();
    ASSERT_EQ(std::bit_cast<std::uint32_t>(HardwareFma::Fma(a, b, c)),
              std::bit_cast<std::uint32_t>(kernel::SoftwareFmaCall(a, b, c)))
        << a << " " << b << " " << c;
    const double weight = (rng() & 1) ? 0.7152 : 0.0722;
    const double sum = static_cast<double>(c) * 0.2126;
    ASSERT_EQ(
        std::bit_cast<std::uint64_t>(HardwareFma::Fma(static_cast<double>(a), weight, sum)),
        std::bit_cast<std::uint64_t>(kernel::SoftwareFmaCall(static_cast<double>(a), weight, sum)))
        << a << " " << c;
  }
}
#endif

}  // namespace

}  // namespace huewarp
