// The arithmetic of the gradient lookup and the pixel mapping, written once as templates over the
// fused multiply-add and the bracket search, so that the reference callbacks and the per-frame
// fast paths run the very same operations in the same order and therefore give the same bits.
//
// Internal to core/: everything here is inline, allocates nothing and reads only its arguments.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "AE_Effect.h"
#include "core/fused_multiply_add.h"
#include "core/gradient.h"
#include "core/pixel_mapping.h"
#include "core/pre_render_data.h"

#if defined(__GNUC__)
#define HUEWARP_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define HUEWARP_ALWAYS_INLINE inline
#endif

namespace huewarp::kernel {

/// The project's own correctly rounded fused multiply-add: any processor.
struct SoftwareFma {
  static float Fma(float a, float b, float c) { return FusedMultiplyAdd(a, b, c); }
  static double Fma(double a, double b, double c) { return FusedMultiplyAdd(a, b, c); }
};

/// The software operation as a call of its own, compiled for any processor.
[[gnu::noinline]] inline float SoftwareFmaCall(float a, float b, float c) {
  return FusedMultiplyAdd(a, b, c);
}
[[gnu::noinline]] inline double SoftwareFmaCall(double a, double b, double c) {
  return FusedMultiplyAdd(a, b, c);
}

#if defined(__x86_64__) || defined(__i386__)
/// The processor's fused instruction; only where HasHardwareFma(). It is correctly rounded, so it
/// equals SoftwareFma for every result that is a number. Which of two NaN operands an operation
/// passes on depends on how it was compiled, so a NaN result is recomputed by the software one.
/// The double form is used on products of floats only, where the software one is exact too.
/// The instruction is written out, not asked of the compiler, so that it is inlined into the
/// generic templates too (a function compiled for the instruction set is not).
struct HardwareFma {
  HUEWARP_ALWAYS_INLINE static float Fma(float a, float b, float c) {
    float r = c;
    asm("vfmadd231ss %2, %1, %0" : "+x"(r) : "x"(a), "x"(b));
    return r == r ? r : SoftwareFmaCall(a, b, c);
  }
  HUEWARP_ALWAYS_INLINE static double Fma(double a, double b, double c) {
    double r = c;
    asm("vfmadd231sd %2, %1, %0" : "+x"(r) : "x"(a), "x"(b));
    return r == r ? r : SoftwareFmaCall(a, b, c);
  }
};
#define HUEWARP_HAS_FMA_TARGET 1
#endif

/// Where a bracket search may start, per bucket of the positions between a list's first and last
/// entries: a lower bound on the bracket of every value in the bucket, so a short forward scan
/// finds exactly what the binary search finds.
struct ListIndex {
  float origin;
  float scale;
  std::uint32_t lastBucket;
  const std::uint16_t *start;

  /// Monotone in x, and the same function builds the index, which is what makes it exact.
  HUEWARP_ALWAYS_INLINE std::uint32_t Bucket(float x) const {
    const float q = (x - origin) * scale;
    return q < static_cast<float>(lastBucket) ? static_cast<std::uint32_t>(q) : lastBucket;
  }
};

template <class Entry>
struct Bracket {
  const Entry *lower;
  const Entry *upper;
  float f;
};

// Below the first entry (or NaN) gives the first, at or above the last gives the last; otherwise
// pos(lower) <= x < pos(upper), the last such lower, so f never divides by 0.
template <class Entry>
HUEWARP_ALWAYS_INLINE Bracket<Entry> Find(const std::vector<Entry> &entries, float x,
                                          const ListIndex *index) {
  const Entry *list = entries.data();
  const Entry &first = list[0];
  const Entry &last = list[entries.size() - 1];
  if (!(x > first.position)) {
    return {&first, nullptr, 0.0f};
  }
  if (x >= last.position) {
    return {&last, nullptr, 0.0f};
  }
  const Entry *lower;
  if (index != nullptr) {
    lower = list + index->start[index->Bucket(x)];
    while (lower[1].position <= x) ++lower;  // stops before the last entry, which is above x
  } else {
    lower = std::upper_bound(list, list + entries.size(), x,
                             [](float v, const Entry &e) { return v < e.position; }) -
            1;
  }
  const Entry *upper = lower + 1;
  return {lower, upper, (x - lower->position) / (upper->position - lower->position)};
}

// L + f*(U - L) as two fused steps: exact at f = 0 and f = 1.
template <class Ops>
HUEWARP_ALWAYS_INLINE float Interpolate(float f, float lower, float upper) {
  return Ops::Fma(f, upper, Ops::Fma(-f, lower, lower));
}

/// fmod(x, 1) in double for a float x > 1: below 2^24 the whole part is exact in 64 bits and the
/// subtraction is exact, so both give the same float; beyond, and for infinity, the library's.
HUEWARP_ALWAYS_INLINE float FractionAboveOne(float x) {
  if (x < 16777216.0f) {
    const double d = x;
    return static_cast<float>(d - static_cast<double>(static_cast<std::int64_t>(d)));
  }
  return static_cast<float>(std::fmod(static_cast<double>(x), 1.0));
}

// The gradient repeated cycleScale times: x = 1 exactly stays 1 (the last entry).
template <bool kFast>
HUEWARP_ALWAYS_INLINE float Cycled(float t, float cycleScale) {
  if (cycleScale == 1.0f) {
    return t;
  }
  const float x = t * cycleScale;
  if (!(x > 1.0f)) return x;
  if constexpr (kFast) {
    return FractionAboveOne(x);
  } else {
    return static_cast<float>(std::fmod(static_cast<double>(x), 1.0));
  }
}

/// How a ramp is searched: a binary search (null) or an index per list.
struct RampIndex {
  const ListIndex *primary = nullptr;
  const ListIndex *secondary = nullptr;
};

template <class Ops, bool kFast>
HUEWARP_ALWAYS_INLINE Rgb SampleColorWith(const ColorRamp &ramp, float t, float cycleScale,
                                          RampIndex index) {
  const bool low = ramp.edgeBlend && static_cast<double>(t) < 0.02;
  const std::vector<ColorStop> &stops = low ? ramp.secondary : ramp.primary;
  if (stops.empty()) {
    return {0.0f, 0.0f, 0.0f};
  }
  const float x = Cycled<kFast>(t, cycleScale);
  const Bracket<ColorStop> at = Find(stops, x, low ? index.secondary : index.primary);
  ColorStop c = *at.lower;
  if (at.upper != nullptr) {
    c.red = Interpolate<Ops>(at.f, at.lower->red, at.upper->red);
    c.green = Interpolate<Ops>(at.f, at.lower->green, at.upper->green);
    c.blue = Interpolate<Ops>(at.f, at.lower->blue, at.upper->blue);
  }
  if (ramp.edgeBlend && static_cast<double>(t) > 0.98) {
    // Towards the first colour, reached at t = 1, so that the wrap from 1 to 0 is seamless.
    const float w = static_cast<float>((static_cast<double>(t) - 0.98) * 50.0);
    const ColorStop &first = stops.front();
    c.red = Interpolate<Ops>(w, c.red, first.red);
    c.green = Interpolate<Ops>(w, c.green, first.green);
    c.blue = Interpolate<Ops>(w, c.blue, first.blue);
  }
  return {std::sqrt(c.red), std::sqrt(c.green), std::sqrt(c.blue)};
}

template <class Ops, bool kFast>
HUEWARP_ALWAYS_INLINE float SampleAlphaWith(const AlphaRamp &ramp, float t, float cycleScale,
                                            RampIndex index) {
  const bool low = ramp.edgeBlend && static_cast<double>(t) < 0.02;
  const std::vector<AlphaHandle> &handles = low ? ramp.secondary : ramp.primary;
  if (handles.empty()) {
    return 1.0f;
  }
  const float x = Cycled<kFast>(t, cycleScale);
  const Bracket<AlphaHandle> at = Find(handles, x, low ? index.secondary : index.primary);
  float a = at.upper != nullptr ? Interpolate<Ops>(at.f, at.lower->alpha, at.upper->alpha)
                                : at.lower->alpha;
  if (ramp.edgeBlend && static_cast<double>(x) < 0.02) {
    // From the last alpha at x = 0 to the sampled one at 0.02.
    const float s = 50.0f * x;
    a = Ops::Fma(1.0f - s, handles.back().alpha, s * a);
  }
  return a;
}

// The CMYK component of one channel, (1 - channel - K) / M, or 0 for black.
HUEWARP_ALWAYS_INLINE float InkOf(float channel, float red, float green, float blue) {
  const float m = std::max(std::max(red, green), blue);
  const float k = 1.0f - m;
  return k == 1.0f ? 0.0f : (1.0f - channel - k) / m;
}

// Smallest (or largest) of the three ink components, sharing one reciprocal of M.
template <class Pick>
HUEWARP_ALWAYS_INLINE float InkExtreme(float red, float green, float blue, Pick pick) {
  const float m = std::max(std::max(red, green), blue);
  const float k = 1.0f - m;
  if (k == 1.0f) {
    return 0.0f;
  }
  const float s = 1.0f / m;
  return pick(pick((1.0f - blue - k) * s, (1.0f - green - k) * s), (1.0f - red - k) * s);
}

HUEWARP_ALWAYS_INLINE float HueOf(float red, float green, float blue) {
  const float hi = std::max(std::max(red, green), blue);
  const float lo = std::min(std::min(red, green), blue);
  if (hi == lo) {
    return 0.0f;
  }
  const float d = hi - lo;
  float h;
  if (hi == red) {
    h = (green - blue) / d;
    if (green < blue) {
      h += 6.0f;
    }
  } else if (hi == green) {
    h = (blue - red) / d + 2.0f;
  } else {
    h = (red - green) / d + 4.0f;
  }
  return h * 0.16666667f;
}

HUEWARP_ALWAYS_INLINE float SaturationOf(float red, float green, float blue) {
  const float hi = std::max(std::max(red, green), blue);
  const float lo = std::min(std::min(red, green), blue);
  if (hi == lo) {
    return 0.0f;
  }
  const float lightness = 0.5f * hi + 0.5f * lo;
  return lightness > 0.5f ? (hi - lo) / (2.0f - hi - lo) : (hi - lo) / (hi + lo);
}

template <class Ops>
HUEWARP_ALWAYS_INLINE float InputValue(std::uint16_t inputRange, const PF_PixelFloat &pixel) {
  const float r = pixel.red;
  const float g = pixel.green;
  const float b = pixel.blue;
  switch (inputRange) {
    case kInputIntensity:
      return static_cast<float>(Ops::Fma(static_cast<double>(b), 0.0722,
                                         Ops::Fma(static_cast<double>(g), 0.7152, r * 0.2126)));
    case kInputHue:
      return HueOf(r, g, b);
    case kInputSaturation:
      return SaturationOf(r, g, b);
    case kInputRed:
      return r;
    case kInputGreen:
      return g;
    case kInputBlue:
      return b;
    case kInputAlpha:
      return pixel.alpha;
    case kInputCyan:
      return InkOf(r, r, g, b);
    case kInputMagenta:
      return InkOf(g, r, g, b);
    case kInputYellow:
      return InkOf(b, r, g, b);
    case kInputBlack:
      return 1.0f - std::max(std::max(r, g), b);
    case kInputMinRgb:
      return std::min(std::min(r, g), b);
    case kInputMaxRgb:
      return std::max(std::max(r, g), b);
    case kInputMinCmyk:
      return InkExtreme(r, g, b, [](float x, float y) { return std::min(x, y); });
    case kInputMaxCmyk:
      return InkExtreme(r, g, b, [](float x, float y) { return std::max(x, y); });
    default:
      return 0.0f;
  }
}

// The triangle wave of period 2 (reflection at 0 and 1), reduced modulo 2 first so that huge
// values take no longer than small ones. It has no limit at infinity: infinities give 0. Below 2
// the remainder is the value itself, which the fast form takes without the library call.
template <bool kFast>
HUEWARP_ALWAYS_INLINE float Bounced(float v) {
  if (!std::isfinite(v)) {
    return 0.0f;
  }
  const float a = std::fabs(v);
  const float u = kFast && a < 2.0f ? a : std::fmod(a, 2.0f);
  return u <= 1.0f ? u : 2.0f - u;
}

template <bool kFast>
HUEWARP_ALWAYS_INLINE float GradientPosition(const PreRenderData &data, float v) {
  switch (data.valuesOver1) {
    case kValuesOver1Clamp:
      v += data.offsetTurns;
      break;
    case kValuesOver1Wrap:
      v += data.offsetWrapped;
      if (v > 1.0f) {
        // 1 itself stays 1
        v = kFast ? FractionAboveOne(v)
                  : static_cast<float>(std::fmod(static_cast<double>(v), 1.0));
      }
      break;
    case kValuesOver1Bounce:
      v = Bounced<kFast>(v + data.offsetTurns);
      break;
    default:
      break;
  }
  const double value = v;
  const float t = !(value >= 0.0) ? 0.0f : static_cast<float>(std::min(value, 1.0));
  return data.flip ? 1.0f - t : t;
}

/// What the gradient gives for one position: colour, and the looked-up alpha (unused when the
/// alpha ramp is opaque).
struct Looked {
  Rgb color;
  float alpha;
};

template <class Ops, bool kFast>
HUEWARP_ALWAYS_INLINE Looked LookUp(const PreRenderData &data, float t, RampIndex colorIndex,
                                    RampIndex alphaIndex) {
  Looked l;
  l.color = SampleColorWith<Ops, kFast>(*data.colorRamp, t, data.cycleScale, colorIndex);
  l.alpha = data.alphaRamp->opaque
                ? 1.0f
                : SampleAlphaWith<Ops, kFast>(*data.alphaRamp, t, data.cycleScale, alphaIndex);
  return l;
}

// from + w*(to - from) as two fused steps: exact at w = 0 and w = 1.
template <class Ops>
HUEWARP_ALWAYS_INLINE float Mix(float w, float from, float to) {
  return Ops::Fma(w, to, Ops::Fma(-w, from, from));
}

/// The looked-up colour and alpha made into the output pixel: alpha, composite and blend.
template <class Ops>
HUEWARP_ALWAYS_INLINE PF_PixelFloat Finish(const PreRenderData &data, const Looked &l,
                                           const PF_PixelFloat &in) {
  PF_PixelFloat out;
  out.alpha = data.alphaRamp->opaque ? in.alpha : l.alpha * in.alpha;
  out.red = l.color.red;
  out.green = l.color.green;
  out.blue = l.color.blue;
  if (data.composite && out.alpha != 1.0f) {
    // The looked-up colour laid over the input by its alpha, not divided by the resulting alpha.
    const float a = out.alpha;
    const float rest = 1.0f - a;
    out.alpha = Ops::Fma(rest, in.alpha, a);
    out.red = Ops::Fma(a, out.red, rest * in.red);
    out.green = Ops::Fma(a, out.green, rest * in.green);
    out.blue = Ops::Fma(a, out.blue, rest * in.blue);
  }
  if (const float b = data.blend; b != 0.0f) {
    out.alpha = Mix<Ops>(b, out.alpha, in.alpha);
    out.red = Mix<Ops>(b, out.red, in.red);
    out.green = Mix<Ops>(b, out.green, in.green);
    out.blue = Mix<Ops>(b, out.blue, in.blue);
  }
  return out;
}

/// Whether Finish is only the alpha product: no composite and no blend.
inline bool FinishIsPlain(const PreRenderData &data) {
  return !data.composite && !(data.blend != 0.0f);
}

// Channel conversions of each depth around the float core: the scaled value rounded half away
// from zero, NaN and negatives to 0, full scale at most.
template <class Channel, int kScale>
HUEWARP_ALWAYS_INLINE Channel Rounded(float scaled) {
  if (!(scaled > 0.0f)) {
    return 0;  // NaN too
  }
  if (scaled >= static_cast<float>(kScale)) {
    return static_cast<Channel>(kScale);
  }
  // Half away from zero; the fraction is exact because scaled < 2^15.
  const int whole = static_cast<int>(scaled);
  return static_cast<Channel>(whole + (scaled - static_cast<float>(whole) >= 0.5f ? 1 : 0));
}

/// The same without branches, whose outcome random pixels make unpredictable. Adding the half in
/// double is exact from 2^-13 up, and below that the sum stays under 1, so truncation rounds the
/// same way.
template <class Channel, int kScale>
HUEWARP_ALWAYS_INLINE Channel RoundedWithoutBranches(float scaled) {
  const float positive = scaled > 0.0f ? scaled : 0.0f;
  const float bounded =
      positive < static_cast<float>(kScale) ? positive : static_cast<float>(kScale);
  // Halves round up: the sum is exact in double for a float in 0..kScale, and the truncation
  // is one instruction where lround is a call per channel.
  // NOLINTNEXTLINE(bugprone-incorrect-roundings)
  return static_cast<Channel>(static_cast<int>(static_cast<double>(bounded) + 0.5));
}

template <class Channel, int kScale>
HUEWARP_ALWAYS_INLINE Channel Quantized(float value) {
  return Rounded<Channel, kScale>(value * static_cast<float>(kScale));
}

template <class Pixel, class ChannelT, int kScaleV>
struct IntegerDepth {
  using Channel = ChannelT;
  static constexpr int kScale = kScaleV;
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const Pixel &p, float factor) {
    return {p.alpha * factor, p.red * factor, p.green * factor, p.blue * factor};
  }
  HUEWARP_ALWAYS_INLINE static Pixel Out(const PF_PixelFloat &p) {
    return {Quantized<Channel, kScale>(p.alpha), Quantized<Channel, kScale>(p.red),
            Quantized<Channel, kScale>(p.green), Quantized<Channel, kScale>(p.blue)};
  }
  HUEWARP_ALWAYS_INLINE static Pixel OutWithoutBranches(const PF_PixelFloat &p) {
    constexpr float s = static_cast<float>(kScale);
    return {RoundedWithoutBranches<Channel, kScale>(p.alpha * s),
            RoundedWithoutBranches<Channel, kScale>(p.red * s),
            RoundedWithoutBranches<Channel, kScale>(p.green * s),
            RoundedWithoutBranches<Channel, kScale>(p.blue * s)};
  }
};

struct Depth8 : IntegerDepth<PF_Pixel8, A_u_char, 255> {
  static constexpr float kFactor = 0.003921569f;
  static constexpr int kLevels = 256;
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const PF_Pixel8 &p) {
    return IntegerDepth::In(p, kFactor);
  }
};

struct Depth16 : IntegerDepth<PF_Pixel16, A_u_short, 32768> {
  static constexpr float kFactor = 0x1p-15f;
  static constexpr int kLevels = 32769;
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const PF_Pixel16 &p) {
    return IntegerDepth::In(p, kFactor);
  }
};

struct DepthFloat {
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const PF_PixelFloat &p) { return p; }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat Out(const PF_PixelFloat &p) { return p; }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat OutWithoutBranches(const PF_PixelFloat &p) {
    return p;
  }
};

/// The whole mapping of one float pixel.
template <class Ops, bool kFast>
HUEWARP_ALWAYS_INLINE PF_PixelFloat Mapped(const PreRenderData &data, const PF_PixelFloat &in,
                                           RampIndex colorIndex, RampIndex alphaIndex) {
  const float t = GradientPosition<kFast>(data, InputValue<Ops>(data.inputRange, in));
  return Finish<Ops>(data, LookUp<Ops, kFast>(data, t, colorIndex, alphaIndex), in);
}

}  // namespace huewarp::kernel
