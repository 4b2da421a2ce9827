#include "render/pixel_mapping.h"

#include <algorithm>
#include <cmath>

#include "render/fused_multiply_add.h"
#include "render/gradient.h"

namespace huewarp {

namespace {

// from + w*(to - from) as two fused steps: exact at w = 0 and w = 1.
float Mix(float w, float from, float to) {
  return FusedMultiplyAdd(w, to, FusedMultiplyAdd(-w, from, from));
}

// The CMYK component of one channel, (1 - channel - K) / M, or 0 for black.
float InkOf(float channel, float red, float green, float blue) {
  const float m = std::max(std::max(red, green), blue);
  const float k = 1.0f - m;
  return k == 1.0f ? 0.0f : (1.0f - channel - k) / m;
}

// Smallest (or largest) of the three ink components, sharing one reciprocal of M.
template <class Pick>
float InkExtreme(float red, float green, float blue, Pick pick) {
  const float m = std::max(std::max(red, green), blue);
  const float k = 1.0f - m;
  if (k == 1.0f) {
    return 0.0f;
  }
  const float s = 1.0f / m;
  return pick(pick((1.0f - blue - k) * s, (1.0f - green - k) * s), (1.0f - red - k) * s);
}

// The triangle wave of period 2 (reflection at 0 and 1), reduced modulo 2 first so that huge
// values take no longer than small ones. It has no limit at infinity: infinities give 0.
float Bounced(float v) {
  if (!std::isfinite(v)) {
    return 0.0f;
  }
  const float u = std::fmod(std::fabs(v), 2.0f);
  return u <= 1.0f ? u : 2.0f - u;
}

PF_PixelFloat Mapped(const PreRenderData &data, const PF_PixelFloat &in) {
  const float t = GradientPosition(data, InputValue(data.inputRange, in));
  const Rgb color = SampleColor(*data.colorRamp, t, data.cycleScale);
  PF_PixelFloat out;
  out.alpha = data.alphaRamp->opaque ? in.alpha
                                     : SampleAlpha(*data.alphaRamp, t, data.cycleScale) * in.alpha;
  out.red = color.red;
  out.green = color.green;
  out.blue = color.blue;
  if (data.composite && out.alpha != 1.0f) {
    // The looked-up colour laid over the input by its alpha, not divided by the resulting alpha.
    const float a = out.alpha;
    const float rest = 1.0f - a;
    out.alpha = FusedMultiplyAdd(rest, in.alpha, a);
    out.red = FusedMultiplyAdd(a, out.red, rest * in.red);
    out.green = FusedMultiplyAdd(a, out.green, rest * in.green);
    out.blue = FusedMultiplyAdd(a, out.blue, rest * in.blue);
  }
  if (const float b = data.blend; b != 0.0f) {
    out.alpha = Mix(b, out.alpha, in.alpha);
    out.red = Mix(b, out.red, in.red);
    out.green = Mix(b, out.green, in.green);
    out.blue = Mix(b, out.blue, in.blue);
  }
  return out;
}

// Channel conversions of each depth around the float core.
template <class Channel, int kScale>
Channel Quantized(float value) {
  const float scaled = value * static_cast<float>(kScale);
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

template <class Pixel, class Channel, int kScale>
struct IntegerDepth {
  static PF_PixelFloat In(const Pixel &p, float factor) {
    return {p.alpha * factor, p.red * factor, p.green * factor, p.blue * factor};
  }
  static Pixel Out(const PF_PixelFloat &p) {
    return {Quantized<Channel, kScale>(p.alpha), Quantized<Channel, kScale>(p.red),
            Quantized<Channel, kScale>(p.green), Quantized<Channel, kScale>(p.blue)};
  }
};

struct Depth8 : IntegerDepth<PF_Pixel8, A_u_char, 255> {
  static PF_PixelFloat In(const PF_Pixel8 &p) { return IntegerDepth::In(p, 0.003921569f); }
};

struct Depth16 : IntegerDepth<PF_Pixel16, A_u_short, 32768> {
  static PF_PixelFloat In(const PF_Pixel16 &p) { return IntegerDepth::In(p, 0x1p-15f); }
};

struct DepthFloat {
  static PF_PixelFloat In(const PF_PixelFloat &p) { return p; }
  static PF_PixelFloat Out(const PF_PixelFloat &p) { return p; }
};

// The one kernel of every depth: the input is read whole before the output is written, so the
// two may be the same pixel.
template <class Depth, class Pixel>
PF_Err MapPixel(void *refcon, const Pixel *in, Pixel *out) {
  *out = Depth::Out(Mapped(*static_cast<const PreRenderData *>(refcon), Depth::In(*in)));
  return PF_Err_NONE;
}

}  // namespace

float InputValue(std::uint16_t inputRange, const PF_PixelFloat &pixel) {
  const float r = pixel.red;
  const float g = pixel.green;
  const float b = pixel.blue;
  switch (inputRange) {
    case kInputIntensity:
      return static_cast<float>(
          FusedMultiplyAdd(static_cast<double>(b), 0.0722,
                           FusedMultiplyAdd(static_cast<double>(g), 0.7152, r * 0.2126)));
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

float HueOf(float red, float green, float blue) {
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

float SaturationOf(float red, float green, float blue) {
  const float hi = std::max(std::max(red, green), blue);
  const float lo = std::min(std::min(red, green), blue);
  if (hi == lo) {
    return 0.0f;
  }
  const float lightness = 0.5f * hi + 0.5f * lo;
  return lightness > 0.5f ? (hi - lo) / (2.0f - hi - lo) : (hi - lo) / (hi + lo);
}

float OffsetTurns(PF_Fixed degrees) {
  return static_cast<float>(degrees / 65536.0 * (1.0 / 360.0));
}

float OffsetWrapped(PF_Fixed degrees) {
  const float wrapped = static_cast<float>(std::fmod(degrees / 65536.0, 360.0) * (1.0 / 360.0));
  return wrapped < 0.0f ? wrapped + 1.0f : wrapped;
}

float GradientPosition(const PreRenderData &data, float v) {
  switch (data.valuesOver1) {
    case kValuesOver1Clamp:
      v += data.offsetTurns;
      break;
    case kValuesOver1Wrap:
      v += data.offsetWrapped;
      if (v > 1.0f) {
        v = static_cast<float>(std::fmod(static_cast<double>(v), 1.0));  // 1 itself stays 1
      }
      break;
    case kValuesOver1Bounce:
      v = Bounced(v + data.offsetTurns);
      break;
    default:
      break;
  }
  const double value = v;
  const float t = !(value >= 0.0) ? 0.0f : static_cast<float>(std::min(value, 1.0));
  return data.flip ? 1.0f - t : t;
}

PF_Err MapPixelFloat(void *refcon, A_long, A_long, PF_PixelFloat *in, PF_PixelFloat *out) {
  return MapPixel<DepthFloat>(refcon, in, out);
}

PF_Err MapPixel16(void *refcon, A_long, A_long, PF_Pixel16 *in, PF_Pixel16 *out) {
  return MapPixel<Depth16>(refcon, in, out);
}

PF_Err MapPixel8(void *refcon, A_long, A_long, PF_Pixel8 *in, PF_Pixel8 *out) {
  return MapPixel<Depth8>(refcon, in, out);
}

}  // namespace huewarp
