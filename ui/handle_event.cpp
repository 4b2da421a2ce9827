// PF_Cmd_EVENT: sorts the custom control's events by type and hands each to its handler.
#include "shell/debug_capture.h"
#include "shell/handlers.h"
#include "ui/event_handlers.h"

namespace huewarp {

PF_Err HandleEvent(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output, PF_EventExtra *extra) {
  if (!extra) return PF_Err_NONE;
  switch (extra->e_type) {
    case PF_Event_DO_CLICK:
      return DoClick(in_data, out_data, params, output, extra);
    case PF_Event_DRAG:
      return DoDrag(in_data, out_data, params, output, extra);
    case PF_Event_DRAW:
      return DrawColorGrid(in_data, out_data, params, output, extra);
    case PF_Event_IDLE:
      WriteTrace("IDLE\n");
      return PF_Err_NONE;
    case PF_Event_ADJUST_CURSOR:
      return ChangeCursor(in_data, out_data, extra);
    default:
      return PF_Err_NONE;
  }
}

}  // namespace huewarp
