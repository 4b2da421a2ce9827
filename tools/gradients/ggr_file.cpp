// GIMP gradients: "GIMP Gradient", an optional "Name:" line, the segment count, then one line
// per segment: left, middle and right positions, the left and right RGBA colours, the blending
// and colouring types, and optionally the two end colour kinds (fixed or the user's foreground
// or background, which only GIMP knows).
#include <algorithm>

#include "tools/gradients/format_text.h"
#include "tools/gradients/gradient_files.h"

namespace huewarp::tool {

using namespace format_text;

SourceGradient ReadGgr(const std::string &text, const std::string &file) {
  const std::vector<std::string_view> lines = Lines(text);
  if (Trim(lines[0]) != "GIMP Gradient") {
    Fail(file, 1, "not a GIMP gradient (it must start with \"GIMP Gradient\")");
  }
  SourceGradient source;
  source.name = file;
  std::size_t i = 1;
  if (i < lines.size() && Trim(lines[i]).starts_with("Name:")) ++i;
  double count = 0;
  if (i >= lines.size() || !Number(Trim(lines[i]), &count) || count < 1 || count > 100000 ||
      count != std::floor(count)) {
    Fail(file, i + 1, "expected the number of segments");
  }
  std::vector<std::size_t> colour_kinds;
  for (int n = 0; n < static_cast<int>(count); ++n) {
    ++i;
    if (i >= lines.size() || Trim(lines[i]).empty()) {
      Fail(file, std::min(i, lines.size()) + 1,
           "expected " + std::to_string(static_cast<int>(count)) + " segments, found " +
               std::to_string(n));
    }
    const std::vector<std::string> tokens = Tokens(lines[i]);
    std::vector<double> v(tokens.size());
    bool numbers = tokens.size() == 13 || tokens.size() == 15;
    for (std::size_t k = 0; numbers && k < tokens.size(); ++k) numbers = Number(tokens[k], &v[k]);
    if (!numbers) {
      Fail(file, i + 1,
           "expected a segment: left, middle and right positions, two RGBA colours, the "
           "blending and the colouring type (13 or 15 numbers)");
    }
    Segment s;
    s.left = v[0];
    s.middle = v[1];
    s.right = v[2];
    if (!(0 <= s.left && s.left <= s.middle && s.middle <= s.right && s.right <= 1)) {
      Fail(file, i + 1, "the segment's positions must ascend within 0 to 1");
    }
    if (!source.segments.empty() && std::abs(s.left - source.segments.back().right) > 1e-6) {
      Fail(file, i + 1,
           "the segment starts at " + tokens[0] + " but the one before ends at " +
               std::to_string(source.segments.back().right));
    }
    auto unit = [](double x) { return std::clamp(x, 0.0, 1.0); };
    s.left_color = {unit(v[3]), unit(v[4]), unit(v[5]), unit(v[6])};
    s.right_color = {unit(v[7]), unit(v[8]), unit(v[9]), unit(v[10])};
    static constexpr Blend kBlends[] = {
        Blend::kLinear,           Blend::kCurved,           Blend::kSine,
        Blend::kSphereIncreasing, Blend::kSphereDecreasing, Blend::kStep};
    static constexpr Mixing kMixings[] = {Mixing::kRgb, Mixing::kHsvCounterClockwise,
                                          Mixing::kHsvClockwise};
    if (v[11] != std::floor(v[11]) || v[11] < 0 || v[11] > 5) {
      Fail(file, i + 1, "unknown blending type " + tokens[11] + " (0 to 5)");
    }
    if (v[12] != std::floor(v[12]) || v[12] < 0 || v[12] > 2) {
      Fail(file, i + 1, "unknown colouring type " + tokens[12] + " (0 to 2)");
    }
    s.blend = kBlends[static_cast<int>(v[11])];
    s.mixing = kMixings[static_cast<int>(v[12])];
    if (tokens.size() == 15 && (v[13] != 0 || v[14] != 0)) colour_kinds.push_back(i + 1);
    source.segments.push_back(s);
  }
  for (++i; i < lines.size(); ++i) {
    if (!Trim(lines[i]).empty()) {
      Fail(file, i + 1,
           "more segments than the " + std::to_string(static_cast<int>(count)) +
               " the file announces");
    }
  }
  if (!colour_kinds.empty()) {
    source.notes.push_back(Where(file, colour_kinds.front()) +
                           ": foreground and background colours are GIMP's own; the colours "
                           "stored in the file are used");
  }
  return source;
}

}  // namespace huewarp::tool
