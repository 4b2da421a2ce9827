// PF_Cmd_SMART_PRE_RENDER and PF_Cmd_SMART_RENDER.
#include "shell/handlers.h"

namespace huewarp {

PF_Err SmartPreRender(PF_InData *, PF_OutData *, PF_PreRenderExtra *) { return PF_Err_NONE; }

PF_Err SmartRender(PF_InData *, PF_OutData *, PF_SmartRenderExtra *) { return PF_Err_NONE; }

}  // namespace huewarp
