#include "host/instance/changed_params.h"

#include <optional>

#include "host/instance/param_stream.h"

namespace huewarp::host {

std::vector<PF_ParamIndex> ApplyChangedParams(Instance &instance, ParamArray &params, A_long time,
                                              std::vector<PF_ParamIndex> *refused) {
  std::vector<PF_ParamIndex> stored;
  for (PF_ParamIndex i = 1; i < params.size(); ++i) {
    const PF_ParamDef &def = params[i];
    if (!(def.uu.change_flags & PF_ChangeFlag_CHANGED_VALUE)) continue;
    const std::optional<ParamValue> value = ValueOfDefinition(def);
    const std::optional<ParamStream> stream = instance.Stream(i);
    if (!value || !stream) continue;  // arbitrary data: changed in place
    const PF_Err err = stream->keyframes().empty() ? instance.SetValue(i, *value)
                                                   : instance.AddKeyframe(i, time, *value);
    if (!err) {
      stored.push_back(i);
    } else if (refused) {
      refused->push_back(i);
    }
  }
  return stored;
}

}  // namespace huewarp::host
