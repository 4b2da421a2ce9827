// What a host does with the parameter array after a command: the values the effect flagged
// PF_ChangeFlag_CHANGED_VALUE become the instance's own, as after an event or a supervised change.
#pragma once

#include <vector>

#include "AE_Effect.h"
#include "host/instance/instance.h"

namespace huewarp::host {

/// Stores the values flagged PF_ChangeFlag_CHANGED_VALUE in `params` into the instance, as a
/// host does after a command: a keyframe at `time` where the stream has keyframes, else its
/// value. Returns the indices stored; those refused go to `refused` when given.
std::vector<PF_ParamIndex> ApplyChangedParams(Instance &instance, ParamArray &params, A_long time,
                                              std::vector<PF_ParamIndex> *refused = nullptr);

}  // namespace huewarp::host
