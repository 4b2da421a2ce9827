// A parameter's value at the frame's time, checked out from the host and checked back in at the
// end of the scope, as the host's rules for checkouts ask.
#pragma once

#include "AE_Effect.h"

namespace huewarp {

class CheckedOutParam {
 public:
  /// Checks out only while `err` is 0, and stores the host's answer in `err`.
  CheckedOutParam(PF_InData *in_data, PF_ParamIndex index, PF_Err &err) : in_data_(in_data) {
    if (err) return;
    err = PF_CHECKOUT_PARAM(in_data, index, in_data->current_time, in_data->time_step,
                            in_data->time_scale, &def_);
    checked_out_ = !err;
  }
  ~CheckedOutParam() {
    if (checked_out_) PF_CHECKIN_PARAM(in_data_, &def_);
  }
  CheckedOutParam(const CheckedOutParam &) = delete;
  CheckedOutParam &operator=(const CheckedOutParam &) = delete;

  bool ok() const { return checked_out_; }
  const PF_ParamDef &def() const { return def_; }
  const PF_ParamDefUnion &u() const { return def_.u; }

 private:
  PF_InData *in_data_;
  PF_ParamDef def_{};
  bool checked_out_ = false;
};

}  // namespace huewarp
