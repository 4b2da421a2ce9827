// PF_Event_DRAG: moves the marker the click grabbed.
#include "ui/event_handlers.h"

namespace huewarp {

PF_Err DoDrag(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *, PF_EventExtra *extra) {
  extra->evt_out_flags = PF_EO_ALWAYS_UPDATE;
  return PF_Err_NONE;
}

}  // namespace huewarp
