// PF_Cmd_ARBITRARY_CALLBACK: the host's requests about the ArbData record.
#include "shell/handlers.h"

namespace huewarp {

PF_Err HandleArbitraryCallback(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *,
                               PF_ArbParamsExtra *) {
  return PF_Err_NONE;
}

}  // namespace huewarp
