#include "tools/gradients/palettes.h"

#include <span>

namespace huewarp::tool {
namespace {

struct Palette {
  const char *name;
  const PaletteEntry *table;  ///< 256 entries; none for the grey ramp.
  const char *description;
};

constexpr Palette kPalettes[] = {
    {"viridis", kViridisTable, "perceptually uniform, blue to yellow (CC0)"},
    {"magma", kMagmaTable, "perceptually uniform, black to light yellow (CC0)"},
    {"inferno", kInfernoTable, "perceptually uniform, black to pale yellow (CC0)"},
    {"plasma", kPlasmaTable, "perceptually uniform, blue to yellow (CC0)"},
    {"cividis", kCividisTable, "readable with colour-vision deficiency, blue to yellow"},
    {"turbo", kTurboTable, "rainbow with smooth lightness, dark blue to dark red (Apache-2.0)"},
    {"grey", nullptr, "black to white, even in sRGB"},
};

}  // namespace

std::vector<std::string> PaletteNames() {
  std::vector<std::string> names;
  for (const Palette &p : kPalettes) names.emplace_back(p.name);
  return names;
}

std::string PaletteDescription(const std::string &name) {
  for (const Palette &p : kPalettes) {
    if (name == p.name) return p.description;
  }
  return {};
}

std::optional<SourceGradient> NamedPalette(const std::string &name) {
  for (const Palette &p : kPalettes) {
    if (name != p.name) continue;
    if (!p.table) return LinearStops(name, {0, 1}, {{0, 0, 0, 1}, {1, 1, 1, 1}});
    std::vector<double> positions;
    std::vector<Rgba> colors;
    const std::span<const PaletteEntry> table(p.table, 256);
    for (std::size_t i = 0; i < table.size(); ++i) {
      positions.push_back(static_cast<double>(i) / 255.0);
      colors.push_back({table[i].red, table[i].green, table[i].blue, 1});
    }
    return LinearStops(name, positions, colors);
  }
  return std::nullopt;
}

}  // namespace huewarp::tool
