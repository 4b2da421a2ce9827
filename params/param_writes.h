// The host writes that change handling and the editor share: showing and hiding slot streams,
// setting stream values, writing into the command's parameter array, and the tolerance rules
// that decide whether a value changed at all. Indices are parameter indices (param_layout.h).
//
// Stream operations get the stream by index, make one change and dispose of the stream on every
// path; the result is the first error among getting, changing and disposing. They acquire the
// stream suites through the access's cache on first use (a failure there throws 516).
#pragma once

#include <cmath>

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "params/param_streams.h"

namespace huewarp {

/// True when a and b, taken as f32, differ by less than (float)10^-digits. Callers pass 3.
inline bool NearlyEqual(double a, double b, int digits) {
  const float tolerance = static_cast<float>(std::pow(10.0, -digits));
  return tolerance > std::fabs(static_cast<float>(a) - static_cast<float>(b));
}

/// True when red, green and blue each differ by less than 0.001; alpha is not compared.
inline bool ColorsMatch(const PF_PixelFloat &a, const PF_PixelFloat &b) {
  return NearlyEqual(a.red, b.red, 3) && NearlyEqual(a.green, b.green, 3) &&
         NearlyEqual(a.blue, b.blue, 3);
}

/// The stream value of a colour: opaque whatever the given alpha, channels widened to double.
inline AEGP_ColorVal StreamColorOf(const PF_PixelFloat &color) {
  return AEGP_ColorVal{1.0, color.red, color.green, color.blue};
}

/// Gives the parameter's stream the hidden flag (undoable: the user can undo it).
PF_Err HideParamStream(const StreamAccess &access, PF_ParamIndex index, bool undoable);
/// Clears the hidden flag.
PF_Err ShowParamStream(const StreamAccess &access, PF_ParamIndex index, bool undoable);
/// Sets a colour parameter's value to StreamColorOf(color).
PF_Err SetColorParamStream(const StreamAccess &access, PF_ParamIndex index,
                           const PF_PixelFloat &color);
/// Sets a one-dimensional parameter's value (slider or checkbox) to `value` widened to double.
PF_Err SetFloatParamStream(const StreamAccess &access, PF_ParamIndex index, float value);

/// Writes `value` (so rounded through f32) into a float slider of the command's parameter array
/// and flags it changed, for the host to store after the command. No host call; always 0.
PF_Err SetFloatParamInPlace(PF_ParamDef *params[], PF_ParamIndex index, float value);

/// Once per instance: turns "AEGP Flags Have Been Initialized" on, then hides slots 6 to 100 of
/// both groups and the flag itself, none of it undoable. Stops at the first error.
PF_Err InitializeSlotVisibility(const StreamAccess &access);

}  // namespace huewarp
