#include "host/instance/supervision.h"

#include <optional>
#include <string>

#include "host/instance/changed_params.h"
#include "host/instance/record_watch.h"
#include "host/instance/undo.h"

namespace huewarp::host {

UserChange SendUserChangedParam(Instance &instance, PF_ParamIndex index, A_long time) {
  UserChange change;
  RecordWatch records(instance);
  ParamArray params = instance.Params(time);
  UserChangedParamExtra extra{index};
  change.sent = true;
  change.command = instance.Send(PF_Cmd_USER_CHANGED_PARAM, &params, &extra, time);
  change.changed = ApplyChangedParams(instance, params, time, &change.refused);
  change.records = records.Settle(params);
  if (change.command.out.out_flags & PF_OutFlag_REFRESH_UI) instance.Panel().NoteRefresh();
  return change;
}

UserChange UserSetsValue(Instance &instance, PF_ParamIndex index, ParamValue value, A_long time) {
  if (index < 1 || index >= instance.ParamCount()) return UserChange{.err = PF_Err_INVALID_INDEX};
  const PF_ParamDef def = instance.Definition(index);
  const std::optional<ParamStream> stream = instance.Stream(index);
  UndoStack &history = instance.History();
  history.BeginUndoStep(def.name);
  UserChange change;
  if (!stream) {
    change.err = PF_Err_BAD_CALLBACK_PARAM;
  } else if (stream->keyframes().empty()) {
    change.err = instance.SetValue(index, value);
  } else {
    change.err = instance.AddKeyframe(index, time, value);
  }
  if (!change.err && (def.flags & PF_ParamFlag_SUPERVISE)) {
    change = SendUserChangedParam(instance, index, time);
  }
  history.EndUndoStep();
  return change;
}

}  // namespace huewarp::host
