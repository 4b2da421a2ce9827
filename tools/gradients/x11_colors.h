// Colour names as GMT colour tables write them: X11's list and grayN/greyN.
#pragma once

#include <optional>
#include <string_view>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

/// The colour X11 calls `name` (lower case, no spaces), or nothing.
std::optional<Rgba> X11Color(std::string_view name);

}  // namespace huewarp::tool
