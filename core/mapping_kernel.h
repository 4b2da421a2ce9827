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
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#endif

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
  static constexpr bool kPacked = false;  // scalar code only
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
/// The software operation on each of four lanes.
[[gnu::noinline]] inline __m128 SoftwareFmaCall(__m128 a, __m128 b, __m128 c) {
  alignas(16) float x[4], y[4], z[4];
  _mm_store_ps(x, a);
  _mm_store_ps(y, b);
  _mm_store_ps(z, c);
  for (int i = 0; i < 4; ++i) z[i] = FusedMultiplyAdd(x[i], y[i], z[i]);
  return _mm_load_ps(z);
}

/// The processor's fused instruction; only where HasHardwareFma(). It is correctly rounded, so it
/// equals SoftwareFma for every result that is a number. Which of two NaN operands an operation
/// passes on depends on how it was compiled, so a NaN result is recomputed by the software one.
/// The double form is used on products of floats only, where the software one is exact too.
/// The instruction is written out, not asked of the compiler, so that it is inlined into the
/// generic templates too (a function compiled for the instruction set is not).
struct HardwareFma {
  /// Also on four lanes at once, each lane the same correctly rounded operation.
  static constexpr bool kPacked = true;
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
  HUEWARP_ALWAYS_INLINE static __m128 Fma(__m128 a, __m128 b, __m128 c) {
    __m128 r = c;
    asm("vfmadd231ps %2, %1, %0" : "+x"(r) : "x"(a), "x"(b));
    return _mm_movemask_ps(_mm_cmpunord_ps(r, r)) == 0 ? r : SoftwareFmaCall(a, b, c);
  }
};

/// The instruction alone, for operands that cannot make a NaN: the input value of an integer
/// pixel, whose channels are numbers of at most 2, takes no check and keeps no call.
struct HardwareFmaOfNumbers {
  HUEWARP_ALWAYS_INLINE static float Fma(float a, float b, float c) {
    asm("vfmadd231ss %2, %1, %0" : "+x"(c) : "x"(a), "x"(b));
    return c;
  }
  HUEWARP_ALWAYS_INLINE static double Fma(double a, double b, double c) {
    asm("vfmadd231sd %2, %1, %0" : "+x"(c) : "x"(a), "x"(b));
    return c;
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

/// fmod(x, 1) for a float x > 1: below 2^24 the whole part is exact in 32 bits and the subtraction
/// is exact, so both give the same float; beyond, and for infinity, the library's. In float: from 1
/// up the whole part lies within a factor 2 below x, so x minus it is exact.
HUEWARP_ALWAYS_INLINE float FractionAboveOne(float x) {
  if (x < 16777216.0f) {
    return x - static_cast<float>(static_cast<std::int32_t>(x));
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

/// The list a colour sample searches and the bracket found in it; no list where it is empty.
struct ColorAt {
  const std::vector<ColorStop> *stops;
  Bracket<ColorStop> at;
};

template <bool kFast>
HUEWARP_ALWAYS_INLINE ColorAt FindColor(const ColorRamp &ramp, float t, float cycleScale,
                                        RampIndex index) {
  const bool low = ramp.edgeBlend && static_cast<double>(t) < 0.02;
  const std::vector<ColorStop> &stops = low ? ramp.secondary : ramp.primary;
  if (stops.empty()) return {nullptr, {}};
  const float x = Cycled<kFast>(t, cycleScale);
  return {&stops, Find(stops, x, low ? index.secondary : index.primary)};
}

#if defined(HUEWARP_HAS_FMA_TARGET)
/// What SampleColorWith computes, with a stop's position and three channels in the lanes of one
/// register: each lane is the scalar code's own operation; the colour is in lanes 1 to 3. The
/// fast sampling takes this form, which Mapped carries on to the output pixel.
template <class Ops>
HUEWARP_ALWAYS_INLINE __m128 SampleColorPacked(const ColorRamp &ramp, float t, float cycleScale,
                                               RampIndex index) {
  static_assert(sizeof(ColorStop) == sizeof(__m128));
  const ColorAt found = FindColor<true>(ramp, t, cycleScale, index);
  if (found.stops == nullptr) return _mm_setzero_ps();
  const Bracket<ColorStop> &at = found.at;
  const __m128 sign = _mm_set1_ps(-0.0f);
  __m128 c = _mm_loadu_ps(&at.lower->position);
  if (at.upper != nullptr) {
    const __m128 f = _mm_set1_ps(at.f);
    c = Ops::Fma(f, _mm_loadu_ps(&at.upper->position), Ops::Fma(_mm_xor_ps(f, sign), c, c));
  }
  if (ramp.edgeBlend && static_cast<double>(t) > 0.98) {
    const __m128 w = _mm_set1_ps(static_cast<float>((static_cast<double>(t) - 0.98) * 50.0));
    const __m128 first = _mm_loadu_ps(&found.stops->front().position);
    c = Ops::Fma(w, first, Ops::Fma(_mm_xor_ps(w, sign), c, c));
  }
  return _mm_sqrt_ps(c);
}
#endif

template <class Ops, bool kFast>
HUEWARP_ALWAYS_INLINE Rgb SampleColorWith(const ColorRamp &ramp, float t, float cycleScale,
                                          RampIndex index) {
  const ColorAt found = FindColor<kFast>(ramp, t, cycleScale, index);
  if (found.stops == nullptr) {
    return {0.0f, 0.0f, 0.0f};
  }
  const std::vector<ColorStop> &stops = *found.stops;
  const Bracket<ColorStop> &at = found.at;
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
  float t;
  if constexpr (kFast) {
    t = !(v >= 0.0f) ? 0.0f : std::min(v, 1.0f);  // the same in float: no rounding either way
  } else {
    const double value = v;
    t = !(value >= 0.0) ? 0.0f : static_cast<float>(std::min(value, 1.0));
  }
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

#if defined(HUEWARP_HAS_FMA_TARGET)
/// Finish with alpha, red, green and blue in the lanes of one register, each lane the scalar
/// code's own operation; the looked-up colour comes in lanes 1 to 3.
template <class Ops>
HUEWARP_ALWAYS_INLINE PF_PixelFloat PackedFinish(const PreRenderData &data, __m128 color,
                                                 float lookedAlpha, const PF_PixelFloat &in) {
  const float alpha = data.alphaRamp->opaque ? in.alpha : lookedAlpha * in.alpha;
  const __m128 source = _mm_loadu_ps(&in.alpha);
  __m128 out = _mm_move_ss(color, _mm_set_ss(alpha));
  if (data.composite && alpha != 1.0f) {
    // Alpha: rest * in.alpha + a; colours: a * colour + rest * in.colour.
    const float rest = 1.0f - alpha;
    const __m128 a = _mm_move_ss(_mm_set1_ps(alpha), _mm_set_ss(rest));
    const __m128 b = _mm_move_ss(out, source);
    const __m128 c = _mm_move_ss(_mm_mul_ps(_mm_set1_ps(rest), source), _mm_set_ss(alpha));
    out = Ops::Fma(a, b, c);
  }
  if (const float b = data.blend; b != 0.0f) {
    const __m128 w = _mm_set1_ps(b);
    out = Ops::Fma(w, source, Ops::Fma(_mm_xor_ps(w, _mm_set1_ps(-0.0f)), out, out));
  }
  PF_PixelFloat result;
  _mm_storeu_ps(&result.alpha, out);
  return result;
}
#endif

/// The looked-up colour and alpha made into the output pixel: alpha, composite and blend.
template <class Ops>
HUEWARP_ALWAYS_INLINE PF_PixelFloat Finish(const PreRenderData &data, const Looked &l,
                                           const PF_PixelFloat &in) {
#if defined(HUEWARP_HAS_FMA_TARGET)
  if constexpr (Ops::kPacked) {
    const __m128 color = _mm_setr_ps(0.0f, l.color.red, l.color.green, l.color.blue);
    return PackedFinish<Ops>(data, color, l.alpha, in);
  }
#endif
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
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat InPacked(const Pixel &p, float factor) {
#if defined(HUEWARP_HAS_FMA_TARGET)
    // The four channels widened and scaled at once, each lane the same conversion and product.
    static_assert(sizeof(Pixel) == 4 * sizeof(Channel));
    const __m128i zero = _mm_setzero_si128();
    __m128i wide = zero;
    std::memcpy(&wide, &p, sizeof p);
    if constexpr (sizeof(Channel) == 1) wide = _mm_unpacklo_epi8(wide, zero);
    wide = _mm_unpacklo_epi16(wide, zero);
    PF_PixelFloat out;
    _mm_storeu_ps(&out.alpha, _mm_mul_ps(_mm_cvtepi32_ps(wide), _mm_set1_ps(factor)));
    return out;
#else
    return In(p, factor);
#endif
  }
  HUEWARP_ALWAYS_INLINE static Pixel Out(const PF_PixelFloat &p) {
    return {Quantized<Channel, kScale>(p.alpha), Quantized<Channel, kScale>(p.red),
            Quantized<Channel, kScale>(p.green), Quantized<Channel, kScale>(p.blue)};
  }
  HUEWARP_ALWAYS_INLINE static Pixel OutWithoutBranches(const PF_PixelFloat &p) {
    constexpr float s = static_cast<float>(kScale);
#if defined(HUEWARP_HAS_FMA_TARGET)
    // RoundedWithoutBranches on the four channels at once: the maximum with 0 gives 0 for NaN
    // and -0 as the comparison does, and the conversions are the same per lane.
    static_assert(sizeof(PF_PixelFloat) == sizeof(__m128));
    const __m128 scaled = _mm_mul_ps(_mm_loadu_ps(&p.alpha), _mm_set1_ps(s));
    const __m128 bounded = _mm_min_ps(_mm_max_ps(scaled, _mm_setzero_ps()), _mm_set1_ps(s));
    const __m128d half = _mm_set1_pd(0.5);
    const __m128i low = _mm_cvttpd_epi32(_mm_add_pd(_mm_cvtps_pd(bounded), half));
    const __m128i high =
        _mm_cvttpd_epi32(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(bounded, bounded)), half));
    __m128i levels = _mm_unpacklo_epi64(low, high);
    if constexpr (sizeof(Channel) == 1) {
      levels = _mm_packus_epi16(_mm_packs_epi32(levels, levels), levels);  // 0..255 kept
    } else {
      // 0..32768 narrowed by signed saturation after moving down by 2^15, then moved back.
      const __m128i shift = _mm_set1_epi32(32768);
      levels = _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(levels, shift), levels),
                             _mm_set1_epi16(static_cast<short>(0x8000)));
    }
    Pixel out;
    std::memcpy(&out, &levels, sizeof out);
    return out;
#else
    return {RoundedWithoutBranches<Channel, kScale>(p.alpha * s),
            RoundedWithoutBranches<Channel, kScale>(p.red * s),
            RoundedWithoutBranches<Channel, kScale>(p.green * s),
            RoundedWithoutBranches<Channel, kScale>(p.blue * s)};
#endif
  }
};

struct Depth8 : IntegerDepth<PF_Pixel8, A_u_char, 255> {
  static constexpr float kFactor = 0.003921569f;
  static constexpr int kLevels = 256;
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const PF_Pixel8 &p) {
    return IntegerDepth::In(p, kFactor);
  }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat InPacked(const PF_Pixel8 &p) {
    return IntegerDepth::InPacked(p, kFactor);
  }
};

struct Depth16 : IntegerDepth<PF_Pixel16, A_u_short, 32768> {
  static constexpr float kFactor = 0x1p-15f;
  static constexpr int kLevels = 32769;
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const PF_Pixel16 &p) {
    return IntegerDepth::In(p, kFactor);
  }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat InPacked(const PF_Pixel16 &p) {
    return IntegerDepth::InPacked(p, kFactor);
  }
};

struct DepthFloat {
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat In(const PF_PixelFloat &p) { return p; }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat InPacked(const PF_PixelFloat &p) { return p; }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat Out(const PF_PixelFloat &p) { return p; }
  HUEWARP_ALWAYS_INLINE static PF_PixelFloat OutWithoutBranches(const PF_PixelFloat &p) {
    return p;
  }
};

/// Whether any channel of the pixel is NaN.
HUEWARP_ALWAYS_INLINE bool CarriesNaN(const PF_PixelFloat &p) {
#if defined(HUEWARP_HAS_FMA_TARGET)
  const __m128 channels = _mm_loadu_ps(&p.alpha);
  return _mm_movemask_ps(_mm_cmpunord_ps(channels, channels)) != 0;
#else
  return std::isnan(p.alpha) || std::isnan(p.red) || std::isnan(p.green) || std::isnan(p.blue);
#endif
}

/// The whole mapping of one float pixel; InputOps computes the input value.
template <class Ops, bool kFast, class InputOps = Ops>
HUEWARP_ALWAYS_INLINE PF_PixelFloat Mapped(const PreRenderData &data, const PF_PixelFloat &in,
                                           RampIndex colorIndex, RampIndex alphaIndex) {
  const float t = GradientPosition<kFast>(data, InputValue<InputOps>(data.inputRange, in));
#if defined(HUEWARP_HAS_FMA_TARGET)
  if constexpr (kFast && Ops::kPacked) {
    // The colour stays in its register from the lookup to the output.
    const __m128 color = SampleColorPacked<Ops>(*data.colorRamp, t, data.cycleScale, colorIndex);
    const float alpha =
        data.alphaRamp->opaque
            ? 1.0f
            : SampleAlphaWith<Ops, kFast>(*data.alphaRamp, t, data.cycleScale, alphaIndex);
    return PackedFinish<Ops>(data, color, alpha, in);
  }
#endif
  return Finish<Ops>(data, LookUp<Ops, kFast>(data, t, colorIndex, alphaIndex), in);
}

}  // namespace huewarp::kernel
