#include "tools/gradients/color_spaces.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace huewarp::tool {
namespace {

using Triple = std::array<double, 3>;

/// A hue below this much chroma (Oklch) or saturation (HSL) is powerless: CSS takes the other's.
constexpr double kNoChroma = 1e-4;

double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double FromLinear(double c) {
  return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

// Oklab from linear sRGB and back, with Björn Ottosson's published matrices.
Triple ToOklab(const Triple &rgb) {
  const double l = std::cbrt(0.4122214708 * rgb[0] + 0.5363325363 * rgb[1] + 0.0514459929 * rgb[2]);
  const double m = std::cbrt(0.2119034982 * rgb[0] + 0.6806995451 * rgb[1] + 0.1073969566 * rgb[2]);
  const double s = std::cbrt(0.0883024619 * rgb[0] + 0.2817188376 * rgb[1] + 0.6299787005 * rgb[2]);
  return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
          1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
          0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}
Triple FromOklab(const Triple &lab) {
  const double l = std::pow(lab[0] + 0.3963377774 * lab[1] + 0.2158037573 * lab[2], 3);
  const double m = std::pow(lab[0] - 0.1055613458 * lab[1] - 0.0638541728 * lab[2], 3);
  const double s = std::pow(lab[0] - 0.0894841775 * lab[1] - 1.2914855480 * lab[2], 3);
  return {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
          -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
          -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

constexpr double kDegrees = 180 / 3.14159265358979323846;

/// Coordinates in `mixing`; the hue, when there is one, in degrees.
Triple To(Mixing mixing, const Rgba &c) {
  const Triple linear{ToLinear(c.red), ToLinear(c.green), ToLinear(c.blue)};
  switch (mixing) {
    case Mixing::kLinearRgb:
      return linear;
    case Mixing::kOklab:
      return ToOklab(linear);
    case Mixing::kOklch: {
      const Triple lab = ToOklab(linear);
      const double hue = std::atan2(lab[2], lab[1]) * kDegrees;
      return {lab[0], std::hypot(lab[1], lab[2]), hue < 0 ? hue + 360 : hue};
    }
    case Mixing::kHsl: {
      const double high = std::max({c.red, c.green, c.blue});
      const double low = std::min({c.red, c.green, c.blue});
      const double light = (high + low) / 2, range = high - low;
      const double sat = range == 0 ? 0 : range / (1 - std::abs(2 * light - 1));
      return {ToHsv(c).hue * 360, sat, light};
    }
    default:
      return {c.red, c.green, c.blue};
  }
}

Rgba From(Mixing mixing, const Triple &v, double alpha) {
  Triple rgb = v;
  if (mixing == Mixing::kHsl) {
    const double hue = v[0], s = v[1], l = v[2];
    auto channel = [&](double n) {
      const double k = std::fmod(n + hue / 30, 12.0);
      return l - s * std::min(l, 1 - l) * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
    };
    rgb = {channel(0), channel(8), channel(4)};
  } else if (mixing != Mixing::kRgb) {
    Triple linear = v;
    if (mixing == Mixing::kOklch) {
      linear =
          FromOklab({v[0], v[1] * std::cos(v[2] / kDegrees), v[1] * std::sin(v[2] / kDegrees)});
    } else if (mixing == Mixing::kOklab) {
      linear = FromOklab(v);
    }
    for (int i = 0; i < 3; ++i) rgb[i] = FromLinear(std::clamp(linear[i], 0.0, 1.0));
  }
  return {std::clamp(rgb[0], 0.0, 1.0), std::clamp(rgb[1], 0.0, 1.0), std::clamp(rgb[2], 0.0, 1.0),
          alpha};
}

/// Which coordinate is the hue, or -1.
int HueIndex(Mixing mixing) {
  return mixing == Mixing::kOklch ? 2 : mixing == Mixing::kHsl ? 0 : -1;
}

}  // namespace

Rgba MixInSpace(const Rgba &a, const Rgba &b, double f, Mixing mixing, HueTurn turn,
                bool premultiplied) {
  Triple x = To(mixing, a), y = To(mixing, b);
  const int h = HueIndex(mixing);
  if (h >= 0) {
    // Chroma or saturation is the second coordinate of both.
    const bool x_none = x[1] < kNoChroma, y_none = y[1] < kNoChroma;
    if (x_none && !y_none) x[h] = y[h];
    if (y_none && !x_none) y[h] = x[h];
    const double d = y[h] - x[h];
    switch (turn) {
      case HueTurn::kShorter:
        if (d > 180) x[h] += 360;
        if (d < -180) y[h] += 360;
        break;
      case HueTurn::kLonger:
        if (d > 0 && d < 180) x[h] += 360;
        if (d > -180 && d <= 0) y[h] += 360;
        break;
      case HueTurn::kIncreasing:
        if (d < 0) y[h] += 360;
        break;
      case HueTurn::kDecreasing:
        if (d > 0) x[h] += 360;
        break;
    }
  }
  const double alpha = a.alpha + (b.alpha - a.alpha) * f;
  Triple mixed{};
  for (int i = 0; i < 3; ++i) {
    const bool weighted = premultiplied && i != h;
    const double p = weighted ? x[i] * a.alpha : x[i], q = weighted ? y[i] * b.alpha : y[i];
    mixed[i] = p + (q - p) * f;
    if (weighted) mixed[i] = alpha > 0 ? mixed[i] / alpha : 0;
  }
  if (h >= 0) mixed[h] = std::fmod(mixed[h], 360.0);
  return From(mixing, mixed, alpha);
}

std::optional<Mixing> CssSpace(std::string_view name) {
  if (name == "srgb") return Mixing::kRgb;
  if (name == "srgb-linear") return Mixing::kLinearRgb;
  if (name == "oklab") return Mixing::kOklab;
  if (name == "oklch") return Mixing::kOklch;
  if (name == "hsl") return Mixing::kHsl;
  return std::nullopt;
}

std::optional<Mixing> GradientSpaceNamed(std::string_view name) {
  if (name == "linear") return Mixing::kLinearRgb;
  if (name == "hsl") return std::nullopt;
  return CssSpace(name);
}

std::optional<HueTurn> CssHueTurn(std::string_view name) {
  if (name == "shorter") return HueTurn::kShorter;
  if (name == "longer") return HueTurn::kLonger;
  if (name == "increasing") return HueTurn::kIncreasing;
  if (name == "decreasing") return HueTurn::kDecreasing;
  return std::nullopt;
}

}  // namespace huewarp::tool
