// CSS linear-gradient(): an optional direction and colour space ("in oklch longer hue"), then
// colour stops with up to two percentages each. Missing positions are spread evenly between their
// neighbours, positions never go back, and colours mix with alpha premultiplied in the space
// named (sRGB when none is), as browsers draw them. Colour hints are not kept.
#include <algorithm>
#include <optional>

#include "tools/gradients/color_spaces.h"
#include "tools/gradients/css_color.h"
#include "tools/gradients/format_text.h"
#include "tools/gradients/gradient_files.h"

namespace huewarp::tool {
namespace {

using namespace format_text;

struct Part {
  std::string text;
  std::size_t offset;  ///< In the whole text, for the line number.
};

/// `text` split at top-level occurrences of `separator` (or of any space when it is ' ').
std::vector<Part> Split(std::string_view text, std::size_t base, char separator) {
  std::vector<Part> parts;
  int depth = 0;
  std::size_t start = 0;
  auto flush = [&](std::size_t end) {
    const std::string_view piece = text.substr(start, end - start);
    const std::string_view trimmed = Trim(piece);
    if (separator != ' ' || !trimmed.empty()) {
      parts.push_back({std::string(trimmed),
                       base + start + (trimmed.empty() ? 0 : trimmed.data() - piece.data())});
    }
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') ++depth;
    if (c == ')') --depth;
    const bool split =
        separator == ' ' ? std::isspace(static_cast<unsigned char>(c)) != 0 : c == separator;
    if (depth == 0 && split) {
      flush(i);
      start = i + 1;
    }
  }
  flush(text.size());
  return parts;
}

/// "40%" or "0" as a fraction; `length` set when it is a length such as "20px".
std::optional<double> Percentage(const std::string &token, bool *length) {
  double value = 0;
  if (token.ends_with('%') && Number(std::string_view(token).substr(0, token.size() - 1), &value)) {
    return value / 100;
  }
  if (Number(token, &value)) {
    if (value == 0) return 0.0;
    return std::nullopt;
  }
  const std::size_t unit = token.find_first_not_of("+-.0123456789eE");
  *length = unit > 0 && unit != std::string::npos && Number(token.substr(0, unit), &value);
  return std::nullopt;
}

bool IsAngle(const std::string &token) {
  for (const char *unit : {"deg", "rad", "grad", "turn"}) {
    double value = 0;
    if (token.ends_with(unit) &&
        Number(std::string_view(token).substr(0, token.size() - std::string_view(unit).size()),
               &value)) {
      return true;
    }
  }
  return false;
}

/// The words of a first argument that gives a direction or a colour space, or none.
std::vector<std::string> Direction(const std::string &text) {
  std::vector<std::string> words = Tokens(Lower(text));
  if (words.empty() || !(words[0] == "to" || words[0] == "in" || IsAngle(words[0]))) return {};
  return words;
}

/// Follows "in <space> [<turn> hue]" of the direction: every segment mixes there.
void FollowSpace(const std::vector<std::string> &words, const std::string &where,
                 SourceGradient &source) {
  const auto in = std::find(words.begin(), words.end(), "in");
  if (in == words.end()) return;
  const std::string name = in + 1 != words.end() ? *(in + 1) : "";
  const std::optional<Mixing> space = CssSpace(name);
  if (!space) {
    source.notes.push_back(where + ": colour space " + Quoted(name) +
                           " is not followed; colours mix in sRGB (srgb, srgb-linear, oklab, "
                           "oklch and hsl are)");
    return;
  }
  std::optional<HueTurn> turn;
  if (in + 2 < words.end()) turn = CssHueTurn(*(in + 2));
  if (turn && (in + 3 == words.end() || *(in + 3) != "hue")) {
    throw ToolError(where + ": expected \"" + *(in + 2) + " hue\"");
  }
  if (turn && *space != Mixing::kOklch && *space != Mixing::kHsl) {
    throw ToolError(where + ": " + Quoted(name) + " has no hue to turn");
  }
  for (Segment &s : source.segments) {
    s.mixing = *space;
    s.hue = turn.value_or(HueTurn::kShorter);
  }
  source.space_given = true;
}

}  // namespace

SourceGradient ReadCssGradient(const std::string &text, const std::string &file) {
  const std::string lower = Lower(text);
  auto where = [&](std::size_t offset) {
    return file.empty() ? std::string("--gradient")
                        : Where(file, 1 + std::count(text.begin(), text.begin() + offset, '\n'));
  };
  auto fail = [&](std::size_t offset, const std::string &what) -> void {
    throw ToolError(where(offset) + ": " + what);
  };
  const std::size_t start = lower.find("linear-gradient(");
  if (start == std::string::npos) {
    throw ToolError((file.empty() ? std::string("--gradient") : Quoted(file)) +
                    ": no linear-gradient(...) found");
  }
  const std::size_t open = start + std::string_view("linear-gradient").size();
  int depth = 0;
  std::size_t close = std::string::npos;
  for (std::size_t i = open; i < text.size() && close == std::string::npos; ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) close = i;
  }
  if (close == std::string::npos) fail(start, "linear-gradient( is not closed");

  SourceGradient source;
  source.name = file.empty() ? std::string("the CSS gradient") : file;
  if (start >= 10 && lower.compare(start - 10, 10, "repeating-") == 0) {
    source.notes.push_back(where(start) + ": the repetition is not kept; one run is used");
  }
  std::vector<Part> arguments =
      Split(std::string_view(text).substr(open + 1, close - open - 1), open + 1, ',');
  std::vector<std::string> direction;
  std::string direction_at;
  if (!arguments.empty()) direction = Direction(arguments.front().text);
  if (!direction.empty()) {
    direction_at = where(arguments.front().offset);
    arguments.erase(arguments.begin());
  }
  std::vector<std::optional<double>> positions;
  std::vector<Rgba> colors;
  bool hint_noted = false;
  for (const Part &argument : arguments) {
    const std::vector<Part> tokens = Split(argument.text, argument.offset, ' ');
    if (tokens.empty()) fail(argument.offset, "an empty colour stop");
    bool length = false;
    if (tokens.size() == 1 && Percentage(tokens[0].text, &length)) {
      if (!hint_noted) {
        source.notes.push_back(where(argument.offset) + ": colour hint " + Quoted(tokens[0].text) +
                               " is ignored; colours mix evenly between stops");
      }
      hint_noted = true;
      continue;
    }
    const std::optional<Rgba> color = ParseCssColor(tokens[0].text);
    if (!color) fail(tokens[0].offset, Quoted(tokens[0].text) + " is not a CSS colour");
    if (tokens.size() > 3) fail(tokens[3].offset, "a colour stop has at most two positions");
    if (tokens.size() == 1) {
      positions.emplace_back();
      colors.push_back(*color);
    }
    for (std::size_t k = 1; k < tokens.size(); ++k) {
      const std::optional<double> p = Percentage(tokens[k].text, &length);
      if (!p) {
        fail(tokens[k].offset, length ? "position " + Quoted(tokens[k].text) +
                                            " is a length; only percentages place a stop"
                                      : Quoted(tokens[k].text) + " is not a position");
      }
      positions.push_back(p);
      colors.push_back(*color);
    }
  }
  if (colors.size() < 2) fail(open, "a linear-gradient needs at least two colour stops");

  // Ends default to 0% and 100%; a position never goes back; missing ones share the space.
  if (!positions.front()) positions.front() = 0.0;
  if (!positions.back()) positions.back() = 1.0;
  double highest = *positions.front();
  for (auto &p : positions) {
    if (!p) continue;
    highest = std::max(highest, *p);
    p = highest;
  }
  std::vector<double> placed(positions.size());
  for (std::size_t i = 0; i < positions.size();) {
    if (positions[i]) {
      placed[i] = *positions[i];
      ++i;
      continue;
    }
    std::size_t next = i;
    while (!positions[next]) ++next;
    const double from = placed[i - 1], to = *positions[next];
    for (std::size_t k = i; k < next; ++k) {
      placed[k] = from + (to - from) * double(k - i + 1) / double(next - i + 1);
    }
    i = next;
  }
  SourceGradient stops = LinearStops(source.name, placed, colors, true);
  stops.notes = std::move(source.notes);
  FollowSpace(direction, direction_at, stops);
  return stops;
}

}  // namespace huewarp::tool
