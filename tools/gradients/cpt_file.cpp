// GMT colour tables, as GMT and cpt-city write them. Two kinds: slices "z0 colour z1 colour" over
// any range of z, and categorical tables "key colour", one equal band per key. A colour is
// "r/g/b" (0..255), "h-s-v" (degrees, 0..1, 0..1), "c/m/y/k" (percent), "#rrggbb", a grey level,
// an X11 name or grayN, or "-" for none, each with an optional "@transparency" (percent); the
// three- or four-number forms "r g b", "h s v" and "c m y k" follow "# COLOR_MODEL". Tables in the
// HSV model mix in HSV. "# RANGE = low/high" with a hinge spreads the normalised z of each side
// of 0 over its own part of the range, as GMT does.
#include <algorithm>
#include <optional>

#include "tools/gradients/format_text.h"
#include "tools/gradients/gradient_files.h"
#include "tools/gradients/x11_colors.h"

namespace huewarp::tool {
namespace {

using namespace format_text;

enum class Model { kRgb, kHsv, kCmyk };

/// A colour as both spaces hold it: the HSV model mixes the written numbers.
struct Colour {
  Rgba rgba;
  Hsv hsv;
};

Colour FromRgb(double r, double g, double b) {
  const Rgba c{std::clamp(r / 255, 0.0, 1.0), std::clamp(g / 255, 0.0, 1.0),
               std::clamp(b / 255, 0.0, 1.0), 1};
  return {c, ToHsv(c)};
}
Colour FromHsvNumbers(double h, double s, double v) {
  const Hsv hsv{std::clamp(h / 360, 0.0, 1.0), std::clamp(s, 0.0, 1.0), std::clamp(v, 0.0, 1.0)};
  return {FromHsv(hsv, 1), hsv};
}
Colour FromCmyk(double c, double m, double y, double k) {
  auto ink = [&](double x) { return 255 * (1 - std::clamp(x / 100, 0.0, 1.0)) * (1 - k / 100); };
  return FromRgb(ink(c), ink(m), ink(y));
}

/// The numbers of `text` split at `separator`, when there are `count` of them.
std::optional<std::vector<double>> Numbers(std::string_view text, char separator,
                                           std::size_t count) {
  std::vector<double> values;
  for (std::size_t start = 0; values.size() <= count;) {
    const std::size_t end = text.find(separator, start + (separator == '-' ? 1 : 0));
    double v = 0;
    if (!Number(text.substr(start, end - start), &v)) return std::nullopt;
    values.push_back(v);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (values.size() != count) return std::nullopt;
  return values;
}

/// A colour written as one token.
std::optional<Colour> OneToken(std::string_view t) {
  double transparency = 0;
  if (const std::size_t at = t.find('@'); at != std::string_view::npos) {
    if (!Number(t.substr(at + 1), &transparency)) return std::nullopt;
    t = t.substr(0, at);
  }
  std::optional<Colour> c;
  double grey = 0;
  if (t == "-") {
    c = Colour{{0, 0, 0, 0}, {}};
  } else if (auto rgb = Numbers(t, '/', 3)) {
    c = FromRgb((*rgb)[0], (*rgb)[1], (*rgb)[2]);
  } else if (auto cmyk = Numbers(t, '/', 4)) {
    c = FromCmyk((*cmyk)[0], (*cmyk)[1], (*cmyk)[2], (*cmyk)[3]);
  } else if (auto hsv = Numbers(t, '-', 3)) {
    c = FromHsvNumbers((*hsv)[0], (*hsv)[1], (*hsv)[2]);
  } else if (Number(t, &grey)) {
    c = FromRgb(grey, grey, grey);
  } else if (t.starts_with('#') && t.size() == 7) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(t.data() + 1, t.data() + 7, value, 16);
    if (ec != std::errc() || end != t.data() + 7) return std::nullopt;
    c = FromRgb(value >> 16 & 0xff, value >> 8 & 0xff, value & 0xff);
  } else if (const std::optional<Rgba> named = X11Color(Lower(t))) {
    c = Colour{*named, ToHsv(*named)};
  }
  if (c) c->rgba.alpha *= 1 - std::clamp(transparency / 100, 0.0, 1.0);
  return c;
}

/// The colour at `tokens[*k]`, advancing past it; `last` when nothing may follow it.
std::optional<Colour> ReadColour(const std::vector<std::string> &tokens, std::size_t *k, bool last,
                                 Model model) {
  const std::size_t n = model == Model::kCmyk ? 4 : 3;
  const std::size_t rest = tokens.size() - *k;
  std::vector<double> v(n);
  bool numbers = last ? rest == n : rest >= n + 2;
  for (std::size_t i = 0; numbers && i < n; ++i) numbers = Number(tokens[*k + i], &v[i]);
  if (numbers) {
    *k += n;
    if (model == Model::kHsv) return FromHsvNumbers(v[0], v[1], v[2]);
    if (model == Model::kCmyk) return FromCmyk(v[0], v[1], v[2], v[3]);
    return FromRgb(v[0], v[1], v[2]);
  }
  if (*k >= tokens.size()) return std::nullopt;
  return OneToken(tokens[(*k)++]);
}

struct Entry {
  std::size_t line;
  std::vector<std::string> tokens;
};

struct Slice {
  double z0, z1;
  Colour c0, c1;
};

/// The entries as slices, or the line and reason of the first that is not one.
std::vector<Slice> Slices(const std::vector<Entry> &entries, Model model,
                          std::pair<std::size_t, std::string> *fault) {
  std::vector<Slice> slices;
  for (const Entry &e : entries) {
    const std::vector<std::string> &tokens = e.tokens;
    Slice s{};
    std::size_t k = 1;
    std::optional<Colour> c0, c1;
    const bool ok = tokens.size() >= 4 && Number(tokens[0], &s.z0) &&
                    (c0 = ReadColour(tokens, &k, false, model)) && k < tokens.size() &&
                    Number(tokens[k++], &s.z1) && (c1 = ReadColour(tokens, &k, true, model)) &&
                    k == tokens.size();
    if (!ok) {
      *fault = {e.line, "expected a colour slice \"z0 colour z1 colour\""};
      return {};
    }
    s.c0 = *c0;
    s.c1 = *c1;
    if (s.z1 < s.z0) {
      *fault = {e.line, "the slice runs backwards, from " + tokens[0]};
      return {};
    }
    if (!slices.empty() &&
        std::abs(s.z0 - slices.back().z1) > 1e-9 * std::max(1.0, std::abs(s.z0))) {
      *fault = {e.line, "the slice starts at " + tokens[0] + " but the one before ends at " +
                            std::to_string(slices.back().z1)};
      return {};
    }
    slices.push_back(s);
  }
  return slices;
}

/// The entries as keys and colours, each an equal band, or the line and reason of the first
/// that is not one.
std::vector<Slice> Categories(const std::vector<Entry> &entries, Model model,
                              std::pair<std::size_t, std::string> *fault) {
  std::vector<Slice> bands;
  for (const Entry &e : entries) {
    std::size_t k = 1;
    const std::optional<Colour> c = ReadColour(e.tokens, &k, true, model);
    if (!c || k != e.tokens.size()) {
      *fault = {e.line, "expected a key and a colour, or a colour slice \"z0 colour z1 colour\""};
      return {};
    }
    const double z = static_cast<double>(bands.size());
    bands.push_back({z, z + 1, *c, *c});
  }
  return bands;
}

/// Where normalised z lands in a range with a hinge at 0: each side spans its own part.
double Unhinged(double z, double low, double high) { return z < 0 ? -z * low : z * high; }

}  // namespace

SourceGradient ReadCpt(const std::string &text, const std::string &file) {
  const std::vector<std::string_view> lines = Lines(text);
  Model model = Model::kRgb;
  bool hinge = false;
  std::optional<std::pair<double, double>> range;
  std::vector<Entry> entries;
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = Trim(lines[i]);
    if (line.starts_with('#')) {
      std::string comment = Lower(line.substr(1));
      comment.erase(std::remove_if(comment.begin(), comment.end(),
                                   [](unsigned char c) { return std::isspace(c); }),
                    comment.end());
      if (comment.starts_with("color_model=")) {
        std::string name = comment.substr(12);
        if (name.starts_with('+')) name.erase(0, 1);
        if (name == "rgb") {
          model = Model::kRgb;
        } else if (name == "hsv") {
          model = Model::kHsv;
        } else if (name == "cmyk") {
          model = Model::kCmyk;
        } else {
          Fail(file, i + 1, "colour model " + Quoted(name) + " is not RGB, HSV or CMYK");
        }
      } else if (comment.starts_with("range=")) {
        const std::optional<std::vector<double>> r = Numbers(comment.substr(6), '/', 2);
        if (!r || !((*r)[0] < (*r)[1])) Fail(file, i + 1, "expected \"RANGE = low/high\"");
        range = {(*r)[0], (*r)[1]};
      } else if (comment == "hard_hinge" || comment == "soft_hinge") {
        hinge = true;
      }
      continue;
    }
    // Labels after ';' say nothing about colour.
    if (const std::size_t semicolon = line.find(';'); semicolon != std::string_view::npos) {
      line = line.substr(0, semicolon);
    }
    std::vector<std::string> tokens = Tokens(line);
    if (tokens.empty()) continue;
    if (tokens[0] == "B" || tokens[0] == "F" || tokens[0] == "N") {
      ends.push_back(i + 1);
      continue;
    }
    // The annotation letter at the end.
    if (tokens.size() > 2 &&
        (tokens.back() == "L" || tokens.back() == "U" || tokens.back() == "B")) {
      tokens.pop_back();
    }
    entries.push_back({i + 1, std::move(tokens)});
  }
  if (entries.empty()) throw ToolError(Quoted(file) + ": no colour slices");
  // Slices, or else keys; a table that is neither is told about as the kind it got further in.
  std::pair<std::size_t, std::string> fault, key_fault;
  std::vector<Slice> slices = Slices(entries, model, &fault);
  if (slices.empty()) slices = Categories(entries, model, &key_fault);
  if (slices.empty()) {
    if (key_fault.first > fault.first) fault = key_fault;
    Fail(file, fault.first, fault.second);
  }
  const bool hinged = hinge && range && (*range).first < 0 && (*range).second > 0 &&
                      slices.front().z0 >= -1 && slices.back().z1 <= 1;
  if (hinged) {
    for (Slice &s : slices) {
      s.z0 = Unhinged(s.z0, range->first, range->second);
      s.z1 = Unhinged(s.z1, range->first, range->second);
    }
  }
  const double low = slices.front().z0, high = slices.back().z1;
  if (!(high > low)) throw ToolError(Quoted(file) + ": the slices span no range of values");
  SourceGradient source;
  source.name = file;
  for (const Slice &s : slices) {
    Segment g;
    g.left = (s.z0 - low) / (high - low);
    g.right = (s.z1 - low) / (high - low);
    g.middle = (g.left + g.right) / 2;
    g.left_color = s.c0.rgba;
    g.right_color = s.c1.rgba;
    g.left_hsv = s.c0.hsv;
    g.right_hsv = s.c1.hsv;
    g.mixing = model == Model::kHsv ? Mixing::kHsvLinear : Mixing::kRgb;
    source.segments.push_back(g);
  }
  if (!ends.empty()) {
    source.notes.push_back(Where(file, ends.front()) +
                           ": the B, F and N colours are ignored; beyond its ends the gradient "
                           "holds its first and last colours");
  }
  return source;
}

}  // namespace huewarp::tool
