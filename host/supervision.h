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
#include "host/instance.h"
#include "host/param_stream.h"

namespace huewarp::host {

/// The extra record of PF_Cmd_USER_CHANGED_PARAM (PF_UserChangedParamExtra): the parameter the
/// user changed.
struct UserChangedParamExtra {
  PF_ParamIndex param_index;
};

/// Copies of an instance's arbitrary-data records made before a command (COPY_FUNC), so that
/// after it the host can tell which records the effect changed in place and keep the old state
/// in the open undo step. Copies that are not needed are disposed of through the effect.
class RecordWatch {
 public:
  explicit RecordWatch(Instance &instance);
  RecordWatch(const RecordWatch &) = delete;
  RecordWatch &operator=(const RecordWatch &) = delete;

  /// The records the command changed: flagged PF_ChangeFlag_CHANGED_VALUE in `params`, or found
  /// different by COMPARE_FUNC. Their copies go to the undo history.
  std::vector<PF_ParamIndex> Settle(ParamArray &params);
  /// The first error of a copy or compare; a record without a copy cannot be undone.
  PF_Err err() const { return err_; }

 private:
  struct Watched {
    PF_ParamIndex index;
    ArbHandle before;
  };
  Instance &instance_;
  std::vector<Watched> watched_;
  PF_Err err_ = PF_Err_NONE;
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
