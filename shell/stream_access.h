// Parameter streams through the AEGP layer: the hidden flag that tells which slots are in use,
// and the stream references every stream operation gets and disposes of.
#pragma once

#include "AE_GeneralPlug.h"
#include "shell/suites.h"

namespace huewarp {

/// What every stream operation of one command needs: the suites it acquires on first use, the
/// effect's AEGP plug-in id and its AEGP reference for this instance.
struct StreamAccess {
  SuiteCache &suites;
  AEGP_PluginID plugin_id;
  AEGP_EffectRefH effect;
};

/// A parameter's stream reference, disposed at the end of the scope unless Dispose() already
/// gave it back and reported the host's answer.
class ScopedStream {
 public:
  explicit ScopedStream(const StreamAccess &access) : access_(access) {}
  ~ScopedStream() {
    if (stream_) access_.suites.Stream()->AEGP_DisposeStream(stream_);
  }
  ScopedStream(const ScopedStream &) = delete;
  ScopedStream &operator=(const ScopedStream &) = delete;

  A_Err Get(PF_ParamIndex index) {
    return access_.suites.Stream()->AEGP_GetNewEffectStreamByIndex(access_.plugin_id,
                                                                   access_.effect, index, &stream_);
  }
  AEGP_StreamRefH get() const { return stream_; }
  A_Err Dispose() {
    AEGP_StreamRefH stream = stream_;
    stream_ = nullptr;
    return stream ? access_.suites.Stream()->AEGP_DisposeStream(stream) : A_Err_NONE;
  }

 private:
  const StreamAccess &access_;
  AEGP_StreamRefH stream_ = nullptr;
};

/// Whether the parameter's stream carries the hidden flag. Answers false without asking when
/// `err` is already set; host errors go into `err`. The stream is disposed on every path.
bool IsParamStreamHidden(const StreamAccess &access, PF_ParamIndex index, PF_Err &err);

}  // namespace huewarp
