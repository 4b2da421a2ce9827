// Telling which arbitrary-data records a command changed in place, so that their old state can
// join the open undo step.
#pragma once

#include <vector>

#include "AE_Effect.h"
#include "host/instance/instance.h"

namespace huewarp::host {

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

}  // namespace huewarp::host
