// A gradient as its source file or palette defines it, before it is fitted to the effect's stops:
// segments over positions 0..1, each blending from its left colour to its right colour the way
// its format blends. Colours are straight (not premultiplied) sRGB values 0..1 with alpha 0..1.
#pragma once

#include <string>
#include <vector>

namespace huewarp::tool {

struct Rgba {
  double red = 0, green = 0, blue = 0, alpha = 1;
};

/// How a segment moves from its left to its right colour (GIMP's blending functions; the other
/// formats are linear).
enum class Blend { kLinear, kCurved, kSine, kSphereIncreasing, kSphereDecreasing, kStep };
/// Which space the colours are mixed in: sRGB; GIMP's HSV, hues turning counter-clockwise or
/// clockwise, or HSV straight along the written numbers as colour tables do; or one of the CSS
/// spaces (color_spaces.h).
enum class Mixing {
  kRgb,
  kHsvCounterClockwise,
  kHsvClockwise,
  kHsvLinear,
  kLinearRgb,
  kOklab,
  kOklch,
  kHsl
};
/// How CSS turns between two hues (OKLCH and HSL).
enum class HueTurn { kShorter, kLonger, kIncreasing, kDecreasing };

/// Hue, saturation and value, each 0..1.
struct Hsv {
  double hue = 0, saturation = 0, value = 0;
};

struct Segment {
  double left = 0, middle = 0.5, right = 1;  ///< Middle is where the blend is half-way.
  Rgba left_color, right_color;
  /// The ends as written, for kHsvLinear: a hue of 0 and one of 1 are not the same there.
  Hsv left_hsv, right_hsv;
  Blend blend = Blend::kLinear;
  Mixing mixing = Mixing::kRgb;
  HueTurn hue = HueTurn::kShorter;
  bool premultiplied = false;  ///< Colours mixed weighted by alpha, as CSS does.
};

/// Segments in ascending order; a segment of no width is a hard edge between its neighbours.
struct SourceGradient {
  std::string name;  ///< The file or palette, for messages.
  std::vector<Segment> segments;
  /// Things of the source the effect cannot show, said to the user once fitted.
  std::vector<std::string> notes;
  /// The source names its own space (CSS's "in"), which --gradient-space leaves alone.
  bool space_given = false;
};

/// Mixes the segments that mix in sRGB in `mixing` instead (--gradient-space), unless the source
/// names its own space.
void MixIn(SourceGradient &source, Mixing mixing);

/// Builds the segments of stops mixed linearly between consecutive positions (palettes, SVG,
/// CSS); equal positions make hard edges. Positions must be ascending.
SourceGradient LinearStops(std::string name, const std::vector<double> &positions,
                           const std::vector<Rgba> &colors, bool premultiplied = false);

/// The float nearest `x`. Out of line on purpose: GCC 12 at -O2 vectorises a loop of such
/// conversions into code that leaves some values unrounded (tools/gcc12_float_repro.cpp shows it).
[[gnu::noinline]] float NearestFloat(double x);

/// Moves every position to the nearest value the effect's 32-bit positions hold, so that an edge
/// of the source and the pair of stops that makes it meet exactly.
void SnapPositions(SourceGradient &source);

/// The colour at t, taking the right side of an edge; before the first and after the last
/// segment the end colours hold.
Rgba ColorAt(const SourceGradient &source, double t);
/// The colour just below t: the left side of an edge at t.
Rgba ColorBefore(const SourceGradient &source, double t);
/// Positions inside (0, 1] where the source may jump: segment ends and step middles.
std::vector<double> Breaks(const SourceGradient &source);

Hsv ToHsv(const Rgba &color);
Rgba FromHsv(const Hsv &hsv, double alpha);

}  // namespace huewarp::tool
