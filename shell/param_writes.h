// The host writes that change handling and the editor share: showing and hiding slot streams,
// setting stream values and writing into the command's parameter array. The tolerance rules
// (NearlyEqual, ColorsMatch) come with it from reconcile_rules.h. Indices are parameter indices
// (param_layout.h).
//
// Stream operations get the stream by index, make one change and dispose of the stream on every
// path; the result is the first error among getting, changing and disposing. They acquire the
// stream suites through the access's cache on first use (a failure there throws 516).
#pragma once

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "shell/stream_access.h"
#include "core/reconcile_rules.h"

namespace huewarp {

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
