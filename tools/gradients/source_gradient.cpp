#include "tools/gradients/source_gradient.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/gradients/color_spaces.h"

namespace huewarp::tool {
namespace {

constexpr double kEpsilon = 1e-10;

/// Where the blend is at `pos` (0..1 along the segment) with its half-way point at `middle`.
double LinearFactor(double middle, double pos) {
  if (pos <= middle) return middle < kEpsilon ? 0.0 : 0.5 * pos / middle;
  const double rest = 1.0 - middle;
  return rest < kEpsilon ? 1.0 : 0.5 + 0.5 * (pos - middle) / rest;
}

/// `from_right` decides the step's own middle, where the step has already happened.
double Factor(Blend blend, double middle, double pos, bool from_right) {
  switch (blend) {
    case Blend::kLinear:
      return LinearFactor(middle, pos);
    case Blend::kCurved:
      return std::pow(pos, std::log(0.5) / std::log(std::max(middle, kEpsilon)));
    case Blend::kSine:
      return (std::sin(-std::numbers::pi / 2 + std::numbers::pi * LinearFactor(middle, pos)) + 1) /
             2;
    case Blend::kSphereIncreasing: {
      const double f = LinearFactor(middle, pos) - 1;
      return std::sqrt(std::max(0.0, 1 - f * f));
    }
    case Blend::kSphereDecreasing: {
      const double f = LinearFactor(middle, pos);
      return 1 - std::sqrt(std::max(0.0, 1 - f * f));
    }
    case Blend::kStep:
      return (from_right ? pos >= middle : pos > middle) ? 1.0 : 0.0;
  }
  return pos;
}

double Mix(double a, double b, double f) { return a + (b - a) * f; }

Rgba MixHsv(const Segment &s, double f) {
  const bool written = s.mixing == Mixing::kHsvLinear;
  const Hsv a = written ? s.left_hsv : ToHsv(s.left_color);
  const Hsv b = written ? s.right_hsv : ToHsv(s.right_color);
  double hue = Mix(a.hue, b.hue, f);
  if (s.mixing == Mixing::kHsvCounterClockwise && a.hue >= b.hue) {
    hue = a.hue + (1 - (a.hue - b.hue)) * f;
    if (hue > 1) hue -= 1;
  } else if (s.mixing == Mixing::kHsvClockwise && b.hue >= a.hue) {
    hue = a.hue - (1 - (b.hue - a.hue)) * f;
    if (hue < 0) hue += 1;
  }
  return FromHsv({hue, Mix(a.saturation, b.saturation, f), Mix(a.value, b.value, f)},
                 Mix(s.left_color.alpha, s.right_color.alpha, f));
}

Rgba Evaluate(const Segment &s, double t, bool from_right) {
  const double width = s.right - s.left;
  const double pos = std::clamp((t - s.left) / width, 0.0, 1.0);
  const double middle = std::clamp((s.middle - s.left) / width, 0.0, 1.0);
  const double f = Factor(s.blend, middle, pos, from_right);
  if (s.mixing >= Mixing::kLinearRgb) {
    return MixInSpace(s.left_color, s.right_color, f, s.mixing, s.hue, s.premultiplied);
  }
  if (s.mixing != Mixing::kRgb) return MixHsv(s, f);
  const Rgba &a = s.left_color, &b = s.right_color;
  Rgba c;
  c.alpha = Mix(a.alpha, b.alpha, f);
  if (s.premultiplied && c.alpha > 0) {
    c.red = Mix(a.red * a.alpha, b.red * b.alpha, f) / c.alpha;
    c.green = Mix(a.green * a.alpha, b.green * b.alpha, f) / c.alpha;
    c.blue = Mix(a.blue * a.alpha, b.blue * b.alpha, f) / c.alpha;
  } else {
    c.red = Mix(a.red, b.red, f);
    c.green = Mix(a.green, b.green, f);
    c.blue = Mix(a.blue, b.blue, f);
  }
  return c;
}

/// The segment covering t (left <= t < right when `from_right`, left < t <= right otherwise), or
/// the colour that holds where none does. Segments ascend, so the search starts at the first
/// that does not end before t and stops at the first that starts after it.
Rgba Lookup(const SourceGradient &source, double t, bool from_right) {
  const std::vector<Segment> &segments = source.segments;
  if (segments.empty()) return {0, 0, 0, 1};
  const auto first = std::partition_point(segments.begin(), segments.end(),
                                          [&](const Segment &s) { return s.right < t; });
  const Rgba *held =
      first == segments.begin() ? &segments.front().left_color : &std::prev(first)->right_color;
  for (auto s = first; s != segments.end() && s->left <= t; ++s) {
    if (s->right <= s->left) {
      if (from_right || s->left < t) held = &s->right_color;
      continue;
    }
    if (from_right ? t < s->right : s->left < t) return Evaluate(*s, t, from_right);
    // Not covered from the right: the segment ends at t. From the left: it starts at t.
    if (from_right) held = &s->right_color;
  }
  return *held;
}

}  // namespace

SourceGradient LinearStops(std::string name, const std::vector<double> &positions,
                           const std::vector<Rgba> &colors, bool premultiplied) {
  SourceGradient source;
  source.name = std::move(name);
  if (colors.size() == 1) {
    source.segments.push_back({0, 0.5, 1, colors[0], colors[0]});
  }
  for (std::size_t i = 0; i + 1 < colors.size(); ++i) {
    Segment s;
    s.left = positions[i];
    s.right = positions[i + 1];
    s.middle = (s.left + s.right) / 2;
    s.left_color = colors[i];
    s.right_color = colors[i + 1];
    s.premultiplied = premultiplied;
    source.segments.push_back(s);
  }
  return source;
}

void MixIn(SourceGradient &source, Mixing mixing) {
  if (source.space_given) return;
  for (Segment &s : source.segments) {
    if (s.mixing == Mixing::kRgb) s.mixing = mixing;
  }
}

float NearestFloat(double x) { return static_cast<float>(x); }

void SnapPositions(SourceGradient &source) {
  for (Segment &s : source.segments) {
    s.left = NearestFloat(s.left);
    s.middle = NearestFloat(s.middle);
    s.right = NearestFloat(s.right);
  }
}

Rgba ColorAt(const SourceGradient &source, double t) { return Lookup(source, t, true); }
Rgba ColorBefore(const SourceGradient &source, double t) { return Lookup(source, t, false); }

std::vector<double> Breaks(const SourceGradient &source) {
  std::vector<double> breaks;
  auto add = [&](double x) {
    if (x > 0 && x <= 1) breaks.push_back(x);
  };
  for (const Segment &s : source.segments) {
    add(s.left);
    add(s.right);
    if (s.blend == Blend::kStep) add(std::clamp(s.middle, s.left, s.right));
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  return breaks;
}

Hsv ToHsv(const Rgba &c) {
  const double high = std::max({c.red, c.green, c.blue});
  const double low = std::min({c.red, c.green, c.blue});
  const double range = high - low;
  Hsv hsv{0, high > 0 ? range / high : 0, high};
  if (range > 0) {
    double h = 0;
    if (high == c.red) {
      h = (c.green - c.blue) / range;
    } else if (high == c.green) {
      h = 2 + (c.blue - c.red) / range;
    } else {
      h = 4 + (c.red - c.green) / range;
    }
    h /= 6;
    hsv.hue = h < 0 ? h + 1 : h;
  }
  return hsv;
}

Rgba FromHsv(const Hsv &hsv, double alpha) {
  const double h = (hsv.hue - std::floor(hsv.hue)) * 6;
  const int sector = static_cast<int>(h) % 6;
  const double f = h - std::floor(h);
  const double v = hsv.value, s = hsv.saturation;
  const double p = v * (1 - s), q = v * (1 - s * f), u = v * (1 - s * (1 - f));
  switch (sector) {
    case 0:
      return {v, u, p, alpha};
    case 1:
      return {q, v, p, alpha};
    case 2:
      return {p, v, u, alpha};
    case 3:
      return {p, q, v, alpha};
    case 4:
      return {u, p, v, alpha};
    default:
      return {v, p, q, alpha};
  }
}

}  // namespace huewarp::tool
