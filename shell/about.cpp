// PF_Cmd_ABOUT: the text the host shows in its About box.
#include "shell/effect_identity.h"
#include "shell/handlers.h"
#include "AE_EffectCB.h"

namespace huewarp {

PF_Err About(PF_InData *in_data, PF_OutData *out_data) {
  PF_SPRINTF(out_data->return_msg, "%s v%d.%d.%d\r%s", kEffectName, HUEWARP_VERSION_MAJOR,
             HUEWARP_VERSION_MINOR, HUEWARP_VERSION_BUGFIX, "\nYou matter.");
  return PF_Err_NONE;
}

}  // namespace huewarp
