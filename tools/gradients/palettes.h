// The named palettes: the published scientific colour maps and a plain grey ramp, each a list of
// evenly spaced colours mixed linearly in sRGB between entries.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

struct PaletteEntry {
  float red, green, blue;
};

extern const PaletteEntry kViridisTable[256];
extern const PaletteEntry kMagmaTable[256];
extern const PaletteEntry kInfernoTable[256];
extern const PaletteEntry kPlasmaTable[256];
extern const PaletteEntry kCividisTable[256];
extern const PaletteEntry kTurboTable[256];

/// The names, in the order `huewarp gradients` lists them.
std::vector<std::string> PaletteNames();
/// One line about a palette: where it comes from.
std::string PaletteDescription(const std::string &name);
/// The palette called `name`, or nothing.
std::optional<SourceGradient> NamedPalette(const std::string &name);

}  // namespace huewarp::tool
