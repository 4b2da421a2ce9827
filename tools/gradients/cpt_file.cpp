// GMT colour tables as cpt-city collects them: slices "z0 colour z1 colour" over any range of z,
// colours as "r g b" (0..255), "r/g/b", "#rrggbb", a grey level, a name, or "-" for none; with
// "# COLOR_MODEL = HSV" (or +HSV) they are "h s v" (degrees, 0..1, 0..1) and mix in HSV.
#include <algorithm>

#include "tools/gradients/css_color.h"
#include "tools/gradients/format_text.h"
#include "tools/gradients/gradient_files.h"

namespace huewarp::tool {
namespace {

using namespace format_text;

struct Slice {
  double z0, z1;
  Rgba c0, c1;
  Hsv h0, h1;
};

/// One colour from `tokens` at `*k`, advancing past it.
bool Colour(const std::vector<std::string> &tokens, std::size_t *k, bool last, bool hsv, Rgba *rgba,
            Hsv *out_hsv) {
  const std::string &t = tokens[*k];
  double a = 0, b = 0, c = 0;
  auto finish = [&](std::size_t used) {
    *k += used;
    if (hsv) {
      *out_hsv = {std::clamp(a / 360, 0.0, 1.0), std::clamp(b, 0.0, 1.0), std::clamp(c, 0.0, 1.0)};
      *rgba = FromHsv(*out_hsv, 1);
    } else {
      *rgba = {std::clamp(a / 255, 0.0, 1.0), std::clamp(b / 255, 0.0, 1.0),
               std::clamp(c / 255, 0.0, 1.0), 1};
      *out_hsv = ToHsv(*rgba);
    }
    return true;
  };
  // Three numbers when they leave the right count after them; otherwise one is a grey level.
  const bool room = last ? *k + 3 == tokens.size() : *k + 5 <= tokens.size();
  if (room && Number(t, &a) && Number(tokens[*k + 1], &b) && Number(tokens[*k + 2], &c)) {
    return finish(3);
  }
  const char separator = hsv ? '-' : '/';
  if (const std::size_t first = t.find(separator, hsv ? 1 : 0); first != std::string::npos) {
    const std::size_t second = t.find(separator, first + 1);
    if (second != std::string::npos && Number(t.substr(0, first), &a) &&
        Number(t.substr(first + 1, second - first - 1), &b) && Number(t.substr(second + 1), &c)) {
      return finish(1);
    }
  }
  if (Number(t, &a)) {
    if (hsv) return false;
    b = c = a;
    return finish(1);
  }
  if (t == "-") {
    *rgba = {0, 0, 0, 0};
    *out_hsv = {};
    ++*k;
    return true;
  }
  if (const std::optional<Rgba> named = ParseCssColor(t)) {
    *rgba = *named;
    *out_hsv = ToHsv(*rgba);
    ++*k;
    return true;
  }
  return false;
}

}  // namespace

SourceGradient ReadCpt(const std::string &text, const std::string &file) {
  const std::vector<std::string_view> lines = Lines(text);
  bool hsv = false;
  std::vector<Slice> slices;
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = Trim(lines[i]);
    if (line.starts_with('#')) {
      std::string comment = Lower(line.substr(1));
      comment.erase(std::remove_if(comment.begin(), comment.end(),
                                   [](unsigned char c) { return std::isspace(c); }),
                    comment.end());
      if (comment.starts_with("color_model=")) {
        const std::string model = comment.substr(12);
        if (model == "hsv" || model == "+hsv") {
          hsv = true;
        } else if (model == "rgb" || model == "+rgb") {
          hsv = false;
        } else {
          Fail(file, i + 1, "colour model " + Quoted(model) + " is not RGB or HSV");
        }
      }
      continue;
    }
    // Labels after ';' and the annotation letter at the end say nothing about colour.
    if (const std::size_t semicolon = line.find(';'); semicolon != std::string_view::npos) {
      line = line.substr(0, semicolon);
    }
    std::vector<std::string> tokens = Tokens(line);
    if (tokens.empty()) continue;
    if (tokens[0] == "B" || tokens[0] == "F" || tokens[0] == "N") {
      ends.push_back(i + 1);
      continue;
    }
    if (tokens.size() > 1 &&
        (tokens.back() == "L" || tokens.back() == "U" || tokens.back() == "B")) {
      tokens.pop_back();
    }
    Slice s{};
    std::size_t k = 1;
    const bool ok = tokens.size() >= 4 && Number(tokens[0], &s.z0) &&
                    Colour(tokens, &k, false, hsv, &s.c0, &s.h0) && k < tokens.size() &&
                    Number(tokens[k++], &s.z1) && k < tokens.size() &&
                    Colour(tokens, &k, true, hsv, &s.c1, &s.h1) && k == tokens.size();
    if (!ok) {
      Fail(file, i + 1,
           std::string("expected a colour slice \"z0 ") + (hsv ? "h s v" : "r g b") + " z1 " +
               (hsv ? "h s v" : "r g b") + "\"");
    }
    if (s.z1 < s.z0) Fail(file, i + 1, "the slice runs backwards, from " + tokens[0]);
    if (!slices.empty() &&
        std::abs(s.z0 - slices.back().z1) > 1e-9 * std::max(1.0, std::abs(s.z0))) {
      Fail(file, i + 1,
           "the slice starts at " + tokens[0] + " but the one before ends at " +
               std::to_string(slices.back().z1));
    }
    slices.push_back(s);
  }
  if (slices.empty()) throw ToolError(Quoted(file) + ": no colour slices");
  const double low = slices.front().z0, high = slices.back().z1;
  if (!(high > low)) throw ToolError(Quoted(file) + ": the slices span no range of values");
  SourceGradient source;
  source.name = file;
  for (const Slice &s : slices) {
    Segment g;
    g.left = (s.z0 - low) / (high - low);
    g.right = (s.z1 - low) / (high - low);
    g.middle = (g.left + g.right) / 2;
    g.left_color = s.c0;
    g.right_color = s.c1;
    g.left_hsv = s.h0;
    g.right_hsv = s.h1;
    g.mixing = hsv ? Mixing::kHsvLinear : Mixing::kRgb;
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
