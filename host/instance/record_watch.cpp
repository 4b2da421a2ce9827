#include "host/instance/record_watch.h"

#include "host/instance/undo.h"

namespace huewarp::host {

RecordWatch::RecordWatch(Instance &instance) : instance_(instance) {
  for (PF_ParamIndex i = 1; i < instance.ParamCount(); ++i) {
    PF_ArbitraryH record = instance.Records().Value(i);
    if (!record) continue;
    Watched watched{i, {}};
    const PF_Err err = instance.Records().Copy(i, record, &watched.before);
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
      const PF_Err err = instance_.Records().Compare(i, watched.before.get(),
                                                     instance_.Records().Value(i), &compare);
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

}  // namespace huewarp::host
