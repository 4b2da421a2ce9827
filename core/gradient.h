// The gradient: sorted colour stops and alpha handles, their rewrites and their two lookups. It is
// the one definition of how a value in 0..1 becomes a colour and an alpha, for render and editor.
//
// Positions are fractions 0..1. Colour components are stored squared and interpolated as squares;
// SampleColor returns their square roots. Lists are sorted ascending by position, comparing
// positions alone and stably: entries at equal positions keep the order they were given in (slot
// order), so the first of two stops at one position is the colour below it, the second the colour
// from it on. A position that is not a number counts as 0. A built ramp is never changed: any
// number of threads may sample it at once, and sampling allocates nothing.
#pragma once

#include <vector>

namespace huewarp {

/// One colour stop: its position and its red, green and blue, each squared.
struct ColorStop {
  float position;
  float red;
  float green;
  float blue;
};

/// One alpha handle: its position and its alpha (0..1).
struct AlphaHandle {
  float position;
  float alpha;
};

/// The colour half of a gradient. `primary` is what is normally sampled; `secondary` holds the
/// sorted stops without the smooth-wrap additions, sampled just above t = 0 when edges blend.
struct ColorRamp {
  /// Sorts `stops` in place, then adds the smooth-wrap run from the last colour at 0.98 to the
  /// first at 1.0 when `wrapActive` is set and `cycleScale` is at least 1.
  ColorRamp(std::vector<ColorStop> &stops, bool wrapActive, bool edgeBlend, float cycleScale);

  std::vector<ColorStop> primary;
  std::vector<ColorStop> secondary;
  bool edgeBlend;
};

/// The alpha half of a gradient, built like ColorRamp but joined at the bottom (from the last
/// alpha at 0 to the first at 0.02) instead of the top.
struct AlphaRamp {
  /// Sorts `handles` in place, then adds the smooth-wrap entries as for ColorRamp.
  AlphaRamp(std::vector<AlphaHandle> &handles, bool wrapActive, bool edgeBlend, float cycleScale);

  std::vector<AlphaHandle> primary;
  std::vector<AlphaHandle> secondary;
  bool edgeBlend;
  /// Every alpha in `primary` is exactly 1 (true when empty): pixels then keep their own alpha.
  bool opaque;
};

/// A whole gradient, as the editor holds it; the render keeps the two ramps apart.
struct Gradient {
  ColorRamp colorRamp;
  AlphaRamp alphaRamp;
};

/// A sampled colour, components in their ordinary (not squared) form.
struct Rgb {
  float red;
  float green;
  float blue;
};

/// Turns each stop into a linear step 0.02 wide centred on it, from its own colour to the next
/// stop's, so that the gradient shows bands. The result is unsorted; the ramp sorts it.
std::vector<ColorStop> MakeDiscreteColorStops(std::vector<ColorStop> stops);

/// The same rewrite for alpha handles.
std::vector<AlphaHandle> MakeDiscreteAlphaHandles(std::vector<AlphaHandle> handles);

/// The colour at t (0..1) with the gradient repeated `cycleScale` times. Black for an empty ramp.
Rgb SampleColor(const ColorRamp &ramp, float t, float cycleScale);

/// The alpha at t with the gradient repeated `cycleScale` times. 1 for an empty ramp.
float SampleAlpha(const AlphaRamp &ramp, float t, float cycleScale);

}  // namespace huewarp
