#include "tools/gradients/css_color.h"

#include "tools/gradients/named_colors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string_view>
#include <vector>

namespace huewarp::tool {
namespace {

// The CSS named colours (CSS Color Module Level 4), sorted by name.
constexpr NamedColor kNames[] = {
    {"aliceblue", 0xf0f8ff},
    {"antiquewhite", 0xfaebd7},
    {"aqua", 0x00ffff},
    {"aquamarine", 0x7fffd4},
    {"azure", 0xf0ffff},
    {"beige", 0xf5f5dc},
    {"bisque", 0xffe4c4},
    {"black", 0x000000},
    {"blanchedalmond", 0xffebcd},
    {"blue", 0x0000ff},
    {"blueviolet", 0x8a2be2},
    {"brown", 0xa52a2a},
    {"burlywood", 0xdeb887},
    {"cadetblue", 0x5f9ea0},
    {"chartreuse", 0x7fff00},
    {"chocolate", 0xd2691e},
    {"coral", 0xff7f50},
    {"cornflowerblue", 0x6495ed},
    {"cornsilk", 0xfff8dc},
    {"crimson", 0xdc143c},
    {"cyan", 0x00ffff},
    {"darkblue", 0x00008b},
    {"darkcyan", 0x008b8b},
    {"darkgoldenrod", 0xb8860b},
    {"darkgray", 0xa9a9a9},
    {"darkgreen", 0x006400},
    {"darkgrey", 0xa9a9a9},
    {"darkkhaki", 0xbdb76b},
    {"darkmagenta", 0x8b008b},
    {"darkolivegreen", 0x556b2f},
    {"darkorange", 0xff8c00},
    {"darkorchid", 0x9932cc},
    {"darkred", 0x8b0000},
    {"darksalmon", 0xe9967a},
    {"darkseagreen", 0x8fbc8f},
    {"darkslateblue", 0x483d8b},
    {"darkslategray", 0x2f4f4f},
    {"darkslategrey", 0x2f4f4f},
    {"darkturquoise", 0x00ced1},
    {"darkviolet", 0x9400d3},
    {"deeppink", 0xff1493},
    {"deepskyblue", 0x00bfff},
    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},
    {"dodgerblue", 0x1e90ff},
    {"firebrick", 0xb22222},
    {"floralwhite", 0xfffaf0},
    {"forestgreen", 0x228b22},
    {"fuchsia", 0xff00ff},
    {"gainsboro", 0xdcdcdc},
    {"ghostwhite", 0xf8f8ff},
    {"gold", 0xffd700},
    {"goldenrod", 0xdaa520},
    {"gray", 0x808080},
    {"green", 0x008000},
    {"greenyellow", 0xadff2f},
    {"grey", 0x808080},
    {"honeydew", 0xf0fff0},
    {"hotpink", 0xff69b4},
    {"indianred", 0xcd5c5c},
    {"indigo", 0x4b0082},
    {"ivory", 0xfffff0},
    {"khaki", 0xf0e68c},
    {"lavender", 0xe6e6fa},
    {"lavenderblush", 0xfff0f5},
    {"lawngreen", 0x7cfc00},
    {"lemonchiffon", 0xfffacd},
    {"lightblue", 0xadd8e6},
    {"lightcoral", 0xf08080},
    {"lightcyan", 0xe0ffff},
    {"lightgoldenrodyellow", 0xfafad2},
    {"lightgray", 0xd3d3d3},
    {"lightgreen", 0x90ee90},
    {"lightgrey", 0xd3d3d3},
    {"lightpink", 0xffb6c1},
    {"lightsalmon", 0xffa07a},
    {"lightseagreen", 0x20b2aa},
    {"lightskyblue", 0x87cefa},
    {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xb0c4de},
    {"lightyellow", 0xffffe0},
    {"lime", 0x00ff00},
    {"limegreen", 0x32cd32},
    {"linen", 0xfaf0e6},
    {"magenta", 0xff00ff},
    {"maroon", 0x800000},
    {"mediumaquamarine", 0x66cdaa},
    {"mediumblue", 0x0000cd},
    {"mediumorchid", 0xba55d3},
    {"mediumpurple", 0x9370db},
    {"mediumseagreen", 0x3cb371},
    {"mediumslateblue", 0x7b68ee},
    {"mediumspringgreen", 0x00fa9a},
    {"mediumturquoise", 0x48d1cc},
    {"mediumvioletred", 0xc71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xf5fffa},
    {"mistyrose", 0xffe4e1},
    {"moccasin", 0xffe4b5},
    {"navajowhite", 0xffdead},
    {"navy", 0x000080},
    {"oldlace", 0xfdf5e6},
    {"olive", 0x808000},
    {"olivedrab", 0x6b8e23},
    {"orange", 0xffa500},
    {"orangered", 0xff4500},
    {"orchid", 0xda70d6},
    {"palegoldenrod", 0xeee8aa},
    {"palegreen", 0x98fb98},
    {"paleturquoise", 0xafeeee},
    {"palevioletred", 0xdb7093},
    {"papayawhip", 0xffefd5},
    {"peachpuff", 0xffdab9},
    {"peru", 0xcd853f},
    {"pink", 0xffc0cb},
    {"plum", 0xdda0dd},
    {"powderblue", 0xb0e0e6},
    {"purple", 0x800080},
    {"rebeccapurple", 0x663399},
    {"red", 0xff0000},
    {"rosybrown", 0xbc8f8f},
    {"royalblue", 0x4169e1},
    {"saddlebrown", 0x8b4513},
    {"salmon", 0xfa8072},
    {"sandybrown", 0xf4a460},
    {"seagreen", 0x2e8b57},
    {"seashell", 0xfff5ee},
    {"sienna", 0xa0522d},
    {"silver", 0xc0c0c0},
    {"skyblue", 0x87ceeb},
    {"slateblue", 0x6a5acd},
    {"slategray", 0x708090},
    {"slategrey", 0x708090},
    {"snow", 0xfffafa},
    {"springgreen", 0x00ff7f},
    {"steelblue", 0x4682b4},
    {"tan", 0xd2b48c},
    {"teal", 0x008080},
    {"thistle", 0xd8bfd8},
    {"tomato", 0xff6347},
    {"turquoise", 0x40e0d0},
    {"violet", 0xee82ee},
    {"wheat", 0xf5deb3},
    {"white", 0xffffff},
    {"whitesmoke", 0xf5f5f5},
    {"yellow", 0xffff00},
    {"yellowgreen", 0x9acd32},
};

std::string Lower(std::string_view text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::optional<Rgba> Hex(std::string_view digits) {
  std::vector<double> v;
  const std::size_t n = digits.size();
  if (n != 3 && n != 4 && n != 6 && n != 8) return std::nullopt;
  const std::size_t width = n <= 4 ? 1 : 2;
  for (std::size_t i = 0; i < n; i += width) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data() + i, digits.data() + i + width, value, 16);
    if (ec != std::errc() || end != digits.data() + i + width) return std::nullopt;
    v.push_back(width == 1 ? value * 17 / 255.0 : value / 255.0);
  }
  return Rgba{v[0], v[1], v[2], v.size() == 4 ? v[3] : 1.0};
}

/// A number with an optional unit suffix; the unit is returned lower-case.
bool Number(std::string_view text, double *value, std::string *unit) {
  text = Trim(text);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  if (ec != std::errc() || !std::isfinite(*value)) return false;
  *unit = Lower(std::string_view(end, text.data() + text.size() - end));
  return true;
}

/// "r, g, b[, a]" or "r g b [/ a]" as three or four parts; none when the form is broken.
std::vector<std::string> Arguments(std::string_view inner) {
  std::vector<std::string> parts;
  const bool commas = inner.find(',') != std::string_view::npos;
  if (commas) {
    for (std::size_t start = 0;;) {
      const std::size_t comma = inner.find(',', start);
      parts.emplace_back(Trim(inner.substr(start, comma - start)));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    return parts;
  }
  const std::size_t slash = inner.find('/');
  std::string_view colour = inner.substr(0, slash);
  std::string current;
  for (const char c : colour) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  if (parts.size() != 3) return {};
  if (slash != std::string_view::npos) parts.emplace_back(Trim(inner.substr(slash + 1)));
  return parts;
}

/// Alpha as a number 0..1 or a percentage.
bool Alpha(const std::string &text, double *alpha) {
  std::string unit;
  if (!Number(text, alpha, &unit)) return false;
  if (unit == "%") {
    *alpha /= 100;
  } else if (!unit.empty()) {
    return false;
  }
  *alpha = std::clamp(*alpha, 0.0, 1.0);
  return true;
}

std::optional<Rgba> Rgb(const std::vector<std::string> &parts) {
  if (parts.size() != 3 && parts.size() != 4) return std::nullopt;
  double c[3];
  for (int i = 0; i < 3; ++i) {
    std::string unit;
    if (!Number(parts[i], &c[i], &unit)) return std::nullopt;
    if (unit == "%") {
      c[i] /= 100;
    } else if (unit.empty()) {
      c[i] /= 255;
    } else {
      return std::nullopt;
    }
    c[i] = std::clamp(c[i], 0.0, 1.0);
  }
  double alpha = 1;
  if (parts.size() == 4 && !Alpha(parts[3], &alpha)) return std::nullopt;
  return Rgba{c[0], c[1], c[2], alpha};
}

std::optional<Rgba> Hsl(const std::vector<std::string> &parts) {
  if (parts.size() != 3 && parts.size() != 4) return std::nullopt;
  double hue = 0, s = 0, l = 0;
  std::string unit;
  if (!Number(parts[0], &hue, &unit)) return std::nullopt;
  if (unit == "turn") {
    hue *= 360;
  } else if (unit == "rad") {
    hue *= 180 / std::numbers::pi;
  } else if (unit == "grad") {
    hue *= 0.9;
  } else if (!unit.empty() && unit != "deg") {
    return std::nullopt;
  }
  if (!Number(parts[1], &s, &unit) || (unit != "%" && !unit.empty())) return std::nullopt;
  if (!Number(parts[2], &l, &unit) || (unit != "%" && !unit.empty())) return std::nullopt;
  s = std::clamp(s / 100, 0.0, 1.0);
  l = std::clamp(l / 100, 0.0, 1.0);
  double alpha = 1;
  if (parts.size() == 4 && !Alpha(parts[3], &alpha)) return std::nullopt;
  hue = std::fmod(hue, 360.0);
  if (hue < 0) hue += 360;
  auto channel = [&](double n) {
    const double k = std::fmod(n + hue / 30, 12.0);
    const double a = s * std::min(l, 1 - l);
    return l - a * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
  };
  return Rgba{channel(0), channel(8), channel(4), alpha};
}

}  // namespace

std::optional<Rgba> ParseCssColor(const std::string &text) {
  const std::string s = Lower(Trim(text));
  if (s.empty()) return std::nullopt;
  if (s[0] == '#') return Hex(std::string_view(s).substr(1));
  if (s == "transparent") return Rgba{0, 0, 0, 0};
  const std::size_t open = s.find('(');
  if (open != std::string::npos) {
    if (s.back() != ')') return std::nullopt;
    const std::string function(Trim(std::string_view(s).substr(0, open)));
    const std::vector<std::string> parts =
        Arguments(std::string_view(s).substr(open + 1, s.size() - open - 2));
    if (function == "rgb" || function == "rgba") return Rgb(parts);
    if (function == "hsl" || function == "hsla") return Hsl(parts);
    return std::nullopt;
  }
  return LookUpName(kNames, s);
}

}  // namespace huewarp::tool
