// SVG through expat: the first linearGradient (or, without one, the first radialGradient, read
// from centre to edge) and its stops (offset, stop-color, stop-opacity, as attributes or in a
// style attribute). A gradient without stops of its own takes those its href chain leads to, as
// Inkscape writes them. expat decodes entities and character references; namespace prefixes
// are dropped, as files in the wild often leave them undeclared.
#include <expat.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

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

std::string LocalName(std::string_view name) {
  const std::size_t colon = name.find(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

/// What the expat callbacks build: the elements in document order, each with its parent.
struct Document {
  XML_Parser parser = nullptr;
  std::vector<Element> elements;
  std::vector<int> open;
};

void StartElement(void *data, const XML_Char *name, const XML_Char **attributes) {
  auto &doc = *static_cast<Document *>(data);
  Element e;
  e.name = LocalName(name);
  e.line = XML_GetCurrentLineNumber(doc.parser);
  e.parent = doc.open.empty() ? -1 : doc.open.back();
  for (const XML_Char **a = attributes; *a; a += 2) e.attributes[LocalName(a[0])] = a[1];
  doc.open.push_back(static_cast<int>(doc.elements.size()));
  doc.elements.push_back(std::move(e));
}

void EndElement(void *data, const XML_Char *) { static_cast<Document *>(data)->open.pop_back(); }

struct ParserDeleter {
  void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

std::vector<Element> Elements(const std::string &text, const std::string &file) {
  Document doc;
  const std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate("UTF-8"));
  if (!parser) throw std::bad_alloc();
  doc.parser = parser.get();
  XML_SetUserData(doc.parser, &doc);
  XML_SetElementHandler(doc.parser, StartElement, EndElement);
  if (XML_Parse(doc.parser, text.data(), static_cast<int>(text.size()), XML_TRUE) !=
      XML_STATUS_OK) {
    Fail(file, XML_GetCurrentLineNumber(doc.parser),
         std::string("not well-formed XML: ") + XML_ErrorString(XML_GetErrorCode(doc.parser)));
  }
  return std::move(doc.elements);
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

bool IsGradient(const Element &e) {
  return e.name == "linearGradient" || e.name == "radialGradient";
}

std::vector<int> StopsOf(const std::vector<Element> &elements, int gradient) {
  std::vector<int> stops;
  for (int i = gradient + 1; i < static_cast<int>(elements.size()); ++i) {
    if (elements[i].parent == gradient && elements[i].name == "stop") stops.push_back(i);
  }
  return stops;
}

/// The first linearGradient, else the first radialGradient; -1 for none.
int ChosenGradient(const std::vector<Element> &elements) {
  for (const char *kind : {"linearGradient", "radialGradient"}) {
    const auto found = std::find_if(elements.begin(), elements.end(),
                                    [&](const Element &e) { return e.name == kind; });
    if (found != elements.end()) return static_cast<int>(found - elements.begin());
  }
  return -1;
}

/// The gradient along `first`'s href chain that holds the stops; a loop or a missing target
/// is the file's error.
int GradientWithStops(const std::vector<Element> &elements, int first, const std::string &file) {
  int gradient = first;
  std::set<int> seen{first};
  while (StopsOf(elements, gradient).empty()) {
    const auto &attrs = elements[gradient].attributes;
    const auto href = attrs.find("href");
    if (href == attrs.end() || !href->second.starts_with('#')) break;
    const std::string id = href->second.substr(1);
    const auto target = std::find_if(elements.begin(), elements.end(), [&](const Element &e) {
      auto found = e.attributes.find("id");
      return IsGradient(e) && found != e.attributes.end() && found->second == id;
    });
    const std::string kind = elements[gradient].name;
    if (target == elements.end()) {
      Fail(
          file, elements[gradient].line,
          "the " + kind + " refers to " + Quoted(href->second) + ", which is not a gradient there");
    }
    gradient = static_cast<int>(target - elements.begin());
    if (!seen.insert(gradient).second) {
      Fail(file, elements[gradient].line,
           "the href chain of the " + elements[first].name + " loops back to " +
               Quoted(href->second));
    }
  }
  return gradient;
}

/// What the effect's one-dimensional map cannot take from the gradient, said once each.
void NoteGeometry(const std::vector<Element> &elements, int gradient, const std::string &file,
                  SourceGradient &source) {
  const Element &g = elements[gradient];
  if (g.name == "radialGradient") {
    source.notes.push_back(Where(file, g.line) +
                           ": a radialGradient; its stops are read from the centre (0) to the "
                           "edge (1)");
  }
  if (g.attributes.contains("gradientTransform")) {
    source.notes.push_back(Where(file, g.line) +
                           ": gradientTransform places the gradient on the page and does not "
                           "change its colours; ignored");
  }
  if (auto spread = g.attributes.find("spreadMethod");
      spread != g.attributes.end() && spread->second != "pad") {
    source.notes.push_back(Where(file, g.line) + ": spreadMethod " + Quoted(spread->second) +
                           " repeats the gradient beyond its ends; one run is used");
  }
}

}  // namespace

SourceGradient ReadSvg(const std::string &text, const std::string &file) {
  const std::vector<Element> elements = Elements(text, file);
  const int first = ChosenGradient(elements);
  if (first < 0) throw ToolError(Quoted(file) + ": no linearGradient or radialGradient element");
  const int gradient = GradientWithStops(elements, first, file);
  const std::vector<int> stops = StopsOf(elements, gradient);
  if (stops.empty())
    Fail(file, elements[first].line, "the " + elements[first].name + " has no stops");

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
  SourceGradient source = LinearStops(file, positions, colors);
  NoteGeometry(elements, first, file, source);
  return source;
}

}  // namespace huewarp::tool
