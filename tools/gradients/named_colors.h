// A sorted table of colour names, as the CSS and X11 lists keep theirs, and its one lookup.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

struct NamedColor {
  const char *name;
  std::uint32_t rgb;  ///< 0xRRGGBB.
};

/// The opaque colour `name` has in `table` (sorted by name), or nothing.
template <std::size_t N>
std::optional<Rgba> LookUpName(const NamedColor (&table)[N], std::string_view name) {
  const auto *named = std::lower_bound(
      std::begin(table), std::end(table), name,
      [](const NamedColor &n, std::string_view key) { return std::string_view(n.name) < key; });
  if (named == std::end(table) || name != named->name) return std::nullopt;
  return Rgba{(named->rgb >> 16 & 0xff) / 255.0, (named->rgb >> 8 & 0xff) / 255.0,
              (named->rgb & 0xff) / 255.0, 1};
}

}  // namespace huewarp::tool
