// CSS colours as SVG and CSS gradients write them: names, #rgb[a], #rrggbb[aa], rgb(), rgba(),
// hsl() and hsla(), in the comma and the space-separated forms.
#pragma once

#include <optional>
#include <string>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

/// The colour `text` names (surrounding spaces allowed), or nothing.
std::optional<Rgba> ParseCssColor(const std::string &text);

}  // namespace huewarp::tool
