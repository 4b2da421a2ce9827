#include "shell/command_context.h"

#include "shell/global_data.h"

namespace huewarp {

CommandContext::CommandContext(const PF_InData *in_data)
    : suites_(in_data->pica_basicP),
      err_(suites_.PFInterface()->AEGP_GetNewEffectForEffect(PluginIdOf(in_data),
                                                             in_data->effect_ref, &effect_)),
      streams_{suites_, PluginIdOf(in_data), effect_} {
  // A host that reports success without a reference cannot serve the stream calls.
  if (!err_ && !effect_) err_ = PF_Err_BAD_CALLBACK_PARAM;
}

}  // namespace huewarp
