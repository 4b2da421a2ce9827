// Correctly rounded a*b + c in portable software, so that every build and platform gives the same
// bits (mingw-w64's fma is not correctly rounded, and the compiler must not contract on its own).
// Inline because the per-pixel mapping calls it several times per pixel.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace huewarp {

namespace fma_detail {

struct Pair {
  double high;
  double low;
};

// Knuth's TwoSum: high = RN(a + b) and low its exact error, for any finite a and b.
inline Pair TwoSum(double a, double b) {
  const double sum = a + b;
  const double bVirtual = sum - a;
  const double aVirtual = sum - bVirtual;
  return {sum, (a - aVirtual) + (b - bVirtual)};
}

// Veltkamp's split into two halves of 26 bits each, so that products of halves are exact.
inline Pair Split(double a) {
  const double scaled = a * 134217729.0;  // 2^27 + 1
  const double high = scaled - (scaled - a);
  return {high, a - high};
}

// Dekker's exact product: high = RN(a * b), low its exact error.
inline Pair TwoProduct(double a, double b) {
  const double product = a * b;
  const Pair x = Split(a);
  const Pair y = Split(b);
  const double error =
      ((x.high * y.high - product) + x.high * y.low + x.low * y.high) + x.low * y.low;
  return {product, error};
}

// a + b rounded to odd: when inexact, the neighbour of RN(a + b) whose last mantissa bit is 1.
// Rounding a value once to odd with two spare bits and then to nearest equals one rounding to
// nearest, which is what makes both emulations below exact.
inline double RoundToOddSum(double a, double b) {
  const Pair sum = TwoSum(a, b);
  if (sum.low == 0.0 || !std::isfinite(sum.high)) {
    return sum.high;
  }
  std::uint64_t bits;
  std::memcpy(&bits, &sum.high, sizeof bits);
  if ((bits & 1u) == 0) {
    // One step of the bit pattern away from zero or towards it, whichever moves towards the error.
    const bool awayFromZero = (sum.low > 0.0) == (sum.high > 0.0);
    bits = awayFromZero ? bits + 1 : bits - 1;
    double stepped;
    std::memcpy(&stepped, &bits, sizeof stepped);
    return stepped;
  }
  return sum.high;
}

}  // namespace fma_detail

/// a*b + c rounded once to float. Exact (correctly rounded, ties to even) for every finite input,
/// subnormal and overflowing results included; infinities and NaN give what a*b + c gives.
inline float FusedMultiplyAdd(float a, float b, float c) {
  using namespace fma_detail;
  // The product of two floats has at most 48 significant bits and a double exponent: exact.
  const double product = static_cast<double>(a) * static_cast<double>(b);
  return static_cast<float>(RoundToOddSum(product, static_cast<double>(c)));
}

/// a*b + c rounded once to double. Correctly rounded while no intermediate overflows or underflows:
/// |a| and |b| below 2^995, |a*b| and |c| below 2^1021, and a*b zero or at least 2^-968 in
/// magnitude. Outside that range (subnormal results in particular) it may be off; infinities and
/// NaN give what a*b + c gives.
inline double FusedMultiplyAdd(double a, double b, double c) {
  using namespace fma_detail;
  const Pair product = TwoProduct(a, b);
  if (product.high == 0.0 || c == 0.0 || !std::isfinite(product.high) || !std::isfinite(c)) {
    return product.high + c;  // exact, or no finite answer to round
  }
  // Boldo and Melquiond: a*b + c = high + (low + product.low) exactly; the small part is rounded to
  // odd so that the final rounding to nearest sees which side of a tie the exact value lies.
  const Pair sum = TwoSum(c, product.high);
  const double small = RoundToOddSum(sum.low, product.low);
  return sum.high + small;
}

}  // namespace huewarp
