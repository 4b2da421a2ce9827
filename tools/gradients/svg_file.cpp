// SVG: the first linearGradient element and its stops (offset, stop-color, stop-opacity, as
// attributes or in a style attribute). A gradient without stops of its own takes those of the
// gradient its href names, as Inkscape writes them.
#include <algorithm>
#include <map>
#include <optional>

#include "tools/gradients/css_color.h"
#include "tools/gradients/format_text.h"
#include "tools/gradients/gradient_files.h"

namespace huewarp::tool {
namespace {

using namespace format_text;

struct Element {
  std::string name;  ///< Without a namespace prefix.
  std::map<std::string, std::string> attributes;
  std::size_t line = 0;
  int parent = -1;
};

std::string Decode(std::string_view text) {
  static const std::pair<const char *, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool replaced = false;
    for (const auto &[entity, c] : kEntities) {
      if (text.substr(i).starts_with(entity)) {
        out += c;
        i += std::string_view(entity).size() - 1;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i];
  }
  return out;
}

std::string LocalName(std::string_view name) {
  const std::size_t colon = name.find(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

/// The elements of the document in order, each with its parent; enough XML for SVG files.
std::vector<Element> Elements(const std::string &text, const std::string &file) {
  std::vector<Element> elements;
  std::vector<int> open;
  std::size_t line = 1, counted = 0;
  auto line_at = [&](std::size_t pos) {
    line += std::count(text.begin() + counted, text.begin() + pos, '\n');
    counted = pos;
    return line;
  };
  std::size_t pos = 0;
  while ((pos = text.find('<', pos)) != std::string::npos) {
    const std::size_t here = line_at(pos);
    auto skip_to = [&](const char *end) {
      const std::size_t found = text.find(end, pos);
      if (found == std::string::npos) Fail(file, here, "markup is not closed");
      pos = found + std::string_view(end).size();
    };
    const std::string_view rest = std::string_view(text).substr(pos);
    if (rest.starts_with("<!--")) {
      skip_to("-->");
    } else if (rest.starts_with("<![CDATA[")) {
      skip_to("]]>");
    } else if (rest.starts_with("<?")) {
      skip_to("?>");
    } else if (rest.starts_with("<!")) {
      skip_to(">");
    } else if (rest.starts_with("</")) {
      skip_to(">");
      if (!open.empty()) open.pop_back();
    } else {
      Element e;
      e.line = here;
      e.parent = open.empty() ? -1 : open.back();
      std::size_t i = pos + 1;
      auto space = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      };
      const std::size_t name_end = text.find_first_of(" \t\r\n/>", i);
      if (name_end == std::string::npos) Fail(file, here, "a tag is not closed");
      e.name = LocalName(std::string_view(text).substr(i, name_end - i));
      i = name_end;
      bool closed = false;
      for (;;) {
        space();
        if (i >= text.size()) Fail(file, here, "the <" + e.name + "> tag is not closed");
        if (text[i] == '>') break;
        if (text.compare(i, 2, "/>") == 0) {
          closed = true;
          ++i;
          break;
        }
        const std::size_t equals = text.find('=', i);
        if (equals == std::string::npos) Fail(file, here, "an attribute has no value");
        const std::string name = LocalName(Trim(std::string_view(text).substr(i, equals - i)));
        i = equals + 1;
        space();
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) {
          Fail(file, here, "attribute " + name + " has no quoted value");
        }
        const std::size_t close = text.find(text[i], i + 1);
        if (close == std::string::npos) Fail(file, here, "attribute " + name + " is not closed");
        e.attributes[name] = Decode(std::string_view(text).substr(i + 1, close - i - 1));
        i = close + 1;
      }
      pos = i + 1;
      elements.push_back(std::move(e));
      if (!closed) open.push_back(static_cast<int>(elements.size() - 1));
    }
  }
  return elements;
}

/// A stop's property from its style attribute, which wins, or its own attribute.
std::optional<std::string> Property(const Element &stop, const std::string &name) {
  if (auto style = stop.attributes.find("style"); style != stop.attributes.end()) {
    const std::string &s = style->second;
    for (std::size_t start = 0; start < s.size();) {
      std::size_t end = s.find(';', start);
      if (end == std::string::npos) end = s.size();
      const std::string_view item = std::string_view(s).substr(start, end - start);
      const std::size_t colon = item.find(':');
      if (colon != std::string_view::npos && Lower(Trim(item.substr(0, colon))) == name) {
        return std::string(Trim(item.substr(colon + 1)));
      }
      start = end + 1;
    }
  }
  if (auto a = stop.attributes.find(name); a != stop.attributes.end()) return a->second;
  return std::nullopt;
}

/// A number or a percentage, as offsets and opacities are written.
bool Fraction(const std::string &text, double *value) {
  std::string_view t = Trim(text);
  const bool percent = t.ends_with('%');
  if (percent) t.remove_suffix(1);
  if (!Number(t, value)) return false;
  if (percent) *value /= 100;
  *value = std::clamp(*value, 0.0, 1.0);
  return true;
}

std::vector<int> StopsOf(const std::vector<Element> &elements, int gradient) {
  std::vector<int> stops;
  for (int i = gradient + 1; i < static_cast<int>(elements.size()); ++i) {
    if (elements[i].parent == gradient && elements[i].name == "stop") stops.push_back(i);
  }
  return stops;
}

}  // namespace

SourceGradient ReadSvg(const std::string &text, const std::string &file) {
  const std::vector<Element> elements = Elements(text, file);
  const auto first = std::find_if(elements.begin(), elements.end(),
                                  [](const Element &e) { return e.name == "linearGradient"; });
  if (first == elements.end()) throw ToolError(Quoted(file) + ": no linearGradient element");
  int gradient = static_cast<int>(first - elements.begin());
  std::vector<int> stops = StopsOf(elements, gradient);
  // Follow href links to the gradient that holds the stops, a few at most.
  for (int hops = 0; stops.empty() && hops < 8; ++hops) {
    const auto &attrs = elements[gradient].attributes;
    const auto href = attrs.find("href");
    if (href == attrs.end() || !href->second.starts_with('#')) break;
    const std::string id = href->second.substr(1);
    const auto target = std::find_if(elements.begin(), elements.end(), [&](const Element &e) {
      auto found = e.attributes.find("id");
      return found != e.attributes.end() && found->second == id;
    });
    if (target == elements.end()) {
      Fail(file, elements[gradient].line,
           "the linearGradient refers to " + Quoted(href->second) + ", which is not there");
    }
    gradient = static_cast<int>(target - elements.begin());
    stops = StopsOf(elements, gradient);
  }
  if (stops.empty()) Fail(file, first->line, "the linearGradient has no stops");

  std::vector<double> positions;
  std::vector<Rgba> colors;
  for (const int index : stops) {
    const Element &stop = elements[index];
    double offset = 0, opacity = 1;
    if (auto o = Property(stop, "offset"); o && !Fraction(*o, &offset)) {
      Fail(file, stop.line, "stop offset " + Quoted(*o) + " is not a number or percentage");
    }
    // Offsets never go back: a smaller one is taken as the largest before it.
    if (!positions.empty()) offset = std::max(offset, positions.back());
    Rgba color{0, 0, 0, 1};
    if (auto c = Property(stop, "stop-color")) {
      const std::optional<Rgba> parsed = ParseCssColor(*c);
      if (!parsed) Fail(file, stop.line, "stop-color " + Quoted(*c) + " is not a colour");
      color = *parsed;
    }
    if (auto o = Property(stop, "stop-opacity"); o && !Fraction(*o, &opacity)) {
      Fail(file, stop.line, "stop-opacity " + Quoted(*o) + " is not a number or percentage");
    }
    color.alpha *= opacity;
    positions.push_back(offset);
    colors.push_back(color);
  }
  return LinearStops(file, positions, colors);
}

}  // namespace huewarp::tool
