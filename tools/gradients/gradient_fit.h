// Fitting a source gradient to the effect's colour stops and alpha handles. The effect mixes
// neighbouring stops through the mean of their squared components (alpha plainly) and holds at
// most 100 of each, so a source is approximated, not copied: stops are placed where the effect's
// own sampling of them departs from the source by more than the tolerance, hard edges of the
// source become two stops at one position, and no more stops are used than that needs.
#pragma once

#include <vector>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

/// One colour stop as the Position and Color parameters hold it.
struct FittedStop {
  double percent;          ///< 0..100; the effect reads it as a 32-bit fraction.
  float red, green, blue;  ///< 0..1, not squared.
};

/// One alpha handle as the Alpha Position and Alpha Value parameters hold it.
struct FittedHandle {
  double percent;        ///< 0..100.
  double value_percent;  ///< 0..100.
};

struct FittedGradient {
  /// In slot order: ascending, and ordered so that the effect's sort keeps the two stops of each
  /// hard edge the way round the edge needs.
  std::vector<FittedStop> stops;
  std::vector<FittedHandle> handles;
  /// The largest difference from the source, 0..1, of any colour channel or of alpha.
  double color_error = 0, alpha_error = 0;
};

/// Fits `source` within `tolerance` (0..1 per channel) with at most `max_stops` stops and as many
/// handles. When that many cannot reach the tolerance, the tolerance is widened until they do
/// and the errors say by how much.
FittedGradient FitGradient(SourceGradient source, double tolerance, int max_stops = 100);

}  // namespace huewarp::tool
