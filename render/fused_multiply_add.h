// Correctly rounded a*b + c in portable software, so that every build and platform gives the same
// bits (mingw-w64's fma is not correctly rounded, and the compiler must not contract on its own).
#pragma once

/// a*b + c rounded once to float. Exact (correctly rounded, ties to even) for every finite input,
/// subnormal and overflowing results included; infinities and NaN give what a*b + c gives.
float FusedMultiplyAdd(float a, float b, float c);

/// a*b + c rounded once to double. Correctly rounded while no intermediate overflows or underflows:
/// |a| and |b| below 2^995, |a*b| and |c| below 2^1021, and a*b zero or at least 2^-968 in
/// magnitude. Outside that range (subnormal results in particular) it may be off; infinities and
/// NaN give what a*b + c gives.
double FusedMultiplyAdd(double a, double b, double c);
