// The tolerance rules of change handling: values compare as f32, colours without alpha.
#include "core/reconcile_rules.h"

#include <gtest/gtest.h>

namespace huewarp {
namespace {

TEST(ReconcileRules, NearlyEqualComparesAsF32) {
  struct Case {
    double a, b;
    int digits;
    bool equal;
  } const cases[] = {
      {50, 50.0009, 3, true},
      {50, 50.002, 3, false},
      {0, 0.001, 3, false},      // strict: a difference of exactly the tolerance is a change
      {50, 50.001, 3, true},     // 0.0009994507 apart as f32, though not as doubles
      {1e9, 1e9 + 30, 3, true},  // one f32
      {33.333333333, 33.33333206176758, 3, true},
      {3, 3.9, 0, true},
      {3, 4, 0, false},
      {0.5, 0.509, 2, true},
      {0.5, 0.511, 2, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(NearlyEqual(c.a, c.b, c.digits), c.equal) << c.a << " " << c.b << " " << c.digits;
    EXPECT_EQ(NearlyEqual(c.b, c.a, c.digits), c.equal);
  }
}

TEST(ReconcileRules, ColorsMatchIgnoresAlpha) {
  const PF_PixelFloat base{1, 0.2f, 0.4f, 0.6f};
  struct Case {
    PF_PixelFloat other;
    bool match;
  } const cases[] = {
      {{0, 0.2f, 0.4f, 0.6f}, true},     {{1, 0.2009f, 0.4f, 0.6f}, true},
      {{1, 0.2f, 0.4011f, 0.6f}, false}, {{1, 0.2f, 0.4f, 0.598f}, false},
      {{1, 0.2011f, 0.4f, 0.6f}, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(ColorsMatch(base, c.other), c.match) << c.other.red << " " << c.other.green;
  }
}

}  // namespace
}  // namespace huewarp
