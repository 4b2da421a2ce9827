#include "host/supervision.h"

#include <optional>
#include <string>

#include "host/events.h"
#include "host/undo.h"

namespace huewarp::host {

RecordWatch::RecordWatch(Instance &instance) : instance_(instance) {
  for (PF_ParamIndex i = 1; i < instance.ParamCount(); ++i) {
    PF_ArbitraryH record = instance.ArbitraryValue(i);
    if (!record) continue;
    Watched watched{i, {}};
    const PF_Err err = instance.CopyArbitrary(i, record, &watched.before);
    if (err && !err_) err_ = err;
    if (watched.before) watched_.push_back(std::move(watched));
  }
}

std::vector<PF_ParamIndex> RecordWatch::Settle(ParamArray &params) {
  std::vector<PF_ParamIndex> changed;
  for (Watched &watched : watched_) {
    const PF_ParamIndex i = watched.index;
    bool differs = params[i].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE;
    if (!differs) {
      PF_ArbCompareResult compare = PF_ArbCompare_EQUAL;
      const PF_Err err = instance_.CompareArbitrary(i, watched.before.get(),
                                                    instance_.ArbitraryValue(i), &compare);
      if (err && !err_) err_ = err;
      differs = !err && compare != PF_ArbCompare_EQUAL;
    }
    if (!differs) continue;
    changed.push_back(i);
    instance_.History().NoteRecord(i, std::move(watched.before));
  }
  watched_.clear();  // the copies nobody needs go back to the effect
  return changed;
}

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
