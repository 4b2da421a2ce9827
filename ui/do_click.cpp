// PF_Event_DO_CLICK: marker selection and the add and remove buttons.
#include "ui/event_handlers.h"

namespace huewarp {

PF_Err DoClick(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *, PF_EventExtra *extra) {
  extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return PF_Err_NONE;
}

}  // namespace huewarp
