// Fitting a source gradient to the effect's colour stops and alpha handles. The effect mixes
// neighbouring stops through their squared components (alpha plainly) and holds at most 100 of
// each, so a source is approximated, not copied: the fit chooses where the stops go and their
// colours, so that the effect's own sampling of them stays within the tolerance of the source
// with as few stops as it can; hard edges of the source become two stops at one position.
#pragma once

#include <string>
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
  /// In slot order: ascending, the two stops of a hard edge the colour below it first (the
  /// effect's sort keeps equal positions in slot order).
  std::vector<FittedStop> stops;
  std::vector<FittedHandle> handles;
  /// The largest difference from the source, 0..1, of any colour channel or of alpha.
  double color_error = 0, alpha_error = 0;
  /// Jumps of the colour or alpha of twice the tolerance or more: no run of stops crosses one
  /// within the tolerance, so each needs the two stops of an edge.
  int wide_jumps = 0;
};

/// Fits `source` within `tolerance` (0..1 per channel) with at most `max_stops` stops and as many
/// handles. When that many cannot reach the tolerance, the tolerance is widened until they do
/// and the errors say by how much.
FittedGradient FitGradient(SourceGradient source, double tolerance, int max_stops = 100);

/// The one line said once a gradient is fitted: stops, handles and the largest error, or, when
/// the source needs more stops than the effect holds for `tolerance_steps` (in 8-bit steps),
/// that and the smallest error reached.
std::string FitSummary(const std::string &name, const FittedGradient &fit, double tolerance_steps);

}  // namespace huewarp::tool
