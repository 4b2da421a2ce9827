// What every handler that works on the instance's parameter streams sets up first: the command's
// suite cache, the instance's AEGP effect reference and stream access through it, the lock of the
// ArbData record and the running error. It lives on the handler's stack for one command.
#pragma once

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "shell/running_error.h"
#include "shell/scoped_handle.h"
#include "shell/stream_access.h"
#include "shell/suites.h"

namespace huewarp {

class CommandContext {
 public:
  /// Takes the suite cache (516 is thrown without a basic suite) and asks for the effect
  /// reference; a failure, or a success without a reference, starts the running error.
  explicit CommandContext(const PF_InData *in_data);
  CommandContext(const CommandContext &) = delete;
  CommandContext &operator=(const CommandContext &) = delete;

  SuiteCache &suites() { return suites_; }
  const StreamAccess &streams() const { return streams_; }
  /// The command's first error; guarded host calls run only while it is 0.
  PF_Err &err() { return err_; }

  /// Locks the record's handle until the lock goes out of scope, whatever the running error; the
  /// handle suite locks and unlocks it. `as<T>()` is null without a handle or when the lock fails.
  ScopedHandleLock LockRecord(PF_Handle handle) {
    return ScopedHandleLock(handle, *suites_.Handle());
  }

  /// Whether the parameter's stream is hidden; false without asking once the running error is
  /// set, and a failure becomes the running error.
  bool Hidden(PF_ParamIndex index) { return IsParamStreamHidden(streams_, index, err_); }

 private:
  SuiteCache suites_;
  // Not released: no suite the effect uses gives an effect reference back, and the host frees
  // it with the command.
  AEGP_EffectRefH effect_ = nullptr;
  PF_Err err_ = PF_Err_NONE;
  StreamAccess streams_;
};

}  // namespace huewarp
