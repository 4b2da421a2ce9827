// PF_Cmd_PARAMS_SETUP: declares the parameter list.
#include "shell/handlers.h"

namespace huewarp {

PF_Err ParamsSetup(PF_InData *, PF_OutData *, PF_ParamDef *[]) { return PF_Err_NONE; }

}  // namespace huewarp
