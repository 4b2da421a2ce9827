// The spaces CSS mixes colours in, beside sRGB: linear sRGB, Oklab, OKLCH and HSL, with CSS's
// rules for hues (the four ways round, a hue without chroma taking the other colour's) and for
// alpha (mixed premultiplied, hues excepted). Colours leave a space clipped to sRGB's gamut.
#pragma once

#include <optional>
#include <string_view>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

/// The colour a fraction `f` of the way from `a` to `b` in `mixing` (one of the CSS spaces).
Rgba MixInSpace(const Rgba &a, const Rgba &b, double f, Mixing mixing, HueTurn hue,
                bool premultiplied);

/// The space CSS calls `name` (srgb, srgb-linear, oklab, oklch, hsl), or nothing.
std::optional<Mixing> CssSpace(std::string_view name);
/// The space --gradient-space calls `name` (srgb, linear, oklab, oklch), or nothing.
std::optional<Mixing> GradientSpaceNamed(std::string_view name);
/// The hue interpolation CSS calls `name` (shorter, longer, increasing, decreasing), or nothing.
std::optional<HueTurn> CssHueTurn(std::string_view name);

}  // namespace huewarp::tool
