#include "render/fused_multiply_add.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

struct Pair {
  double high;
  double low;
};

// Knuth's TwoSum: high = RN(a + b) and low its exact error, for any finite a and b.
Pair TwoSum(double a, double b) {
  const double sum = a + b;
  const double bVirtual = sum - a;
  const double aVirtual = sum - bVirtual;
  return {sum, (a - aVirtual) + (b - bVirtual)};
}

// Veltkamp's split into two halves of 26 bits each, so that products of halves are exact.
Pair Split(double a) {
  const double scaled = a * 134217729.0;  // 2^27 + 1
  const double high = scaled - (scaled - a);
  return {high, a - high};
}

// Dekker's exact product: high = RN(a * b), low its exact error.
Pair TwoProduct(double a, double b) {
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
double RoundToOddSum(double a, double b) {
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

}  // namespace

float FusedMultiplyAdd(float a, float b, float c) {
  // The product of two floats has at most 48 significant bits and a double exponent: exact.
  const double product = static_cast<double>(a) * static_cast<double>(b);
  return static_cast<float>(RoundToOddSum(product, static_cast<double>(c)));
}

double FusedMultiplyAdd(double a, double b, double c) {
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
