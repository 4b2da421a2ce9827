// The ColorGrid control's handlers, one per event kind, each in its own file; HandleEvent sorts
// the events to them. Each returns the event's PF_Err and may throw a PF_Err from a suite failure.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectUI.h"

namespace huewarp {

/// PF_Event_DO_CLICK: selects a marker or presses a button; marks the event handled on success.
PF_Err DoClick(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output,
               PF_EventExtra *extra);
/// PF_Event_DRAG: moves the grabbed marker; always 0 and always asks for an update.
PF_Err DoDrag(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *output,
              PF_EventExtra *extra);
/// PF_Event_DRAW: paints the whole control from the event's parameter values.
PF_Err DrawColorGrid(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                     PF_LayerDef *output, PF_EventExtra *extra);
/// PF_Event_ADJUST_CURSOR: records the pointer and shows the Info panel lines; the cursor is
/// left to the host.
PF_Err ChangeCursor(PF_InData *in_data, PF_OutData *out_data, PF_EventExtra *extra);

}  // namespace huewarp
