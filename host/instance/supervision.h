// What a host does when the user changes a parameter: it stores the value and, for a parameter
// declared with PF_ParamFlag_SUPERVISE, sends PF_Cmd_USER_CHANGED_PARAM with the instance's
// parameter array, then keeps what the effect wrote back: values it flagged changed, and
// arbitrary-data records it changed in place in their value handles. The whole action is one
// undo step named after the parameter, and a request to refresh the panel is counted there.
//
// Effect writes through the AEGP suites during the command join the same step. Neither those
// writes nor the ones in the array lead to another PF_Cmd_USER_CHANGED_PARAM.
#pragma once

#include <vector>

#include "AE_Effect.h"
#include "host/instance/instance.h"
#include "host/instance/param_stream.h"

namespace huewarp::host {

/// The extra record of PF_Cmd_USER_CHANGED_PARAM (PF_UserChangedParamExtra): the parameter the
/// user changed.
struct UserChangedParamExtra {
  PF_ParamIndex param_index;
};

struct UserChange {
  /// The instance's answer to storing the user's value; nothing was sent when it is not 0.
  PF_Err err = PF_Err_NONE;
  /// Whether PF_Cmd_USER_CHANGED_PARAM was sent, and what it left.
  bool sent = false;
  CommandResult command;
  /// Values the effect changed through the array, now stored, and those the instance refused.
  std::vector<PF_ParamIndex> changed;
  std::vector<PF_ParamIndex> refused;
  /// Arbitrary-data parameters whose record the effect changed.
  std::vector<PF_ParamIndex> records;
};

/// The user sets a parameter to `value` at `time` (a keyframe there when the stream has any).
UserChange UserSetsValue(Instance &instance, PF_ParamIndex index, ParamValue value,
                         A_long time = 0);

/// Sends PF_Cmd_USER_CHANGED_PARAM for `index` at `time` and keeps what the effect changed, in
/// the open undo step if there is one. UserSetsValue uses it after storing the value.
UserChange SendUserChangedParam(Instance &instance, PF_ParamIndex index, A_long time = 0);

}  // namespace huewarp::host
