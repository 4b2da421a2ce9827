#include "params/param_streams.h"

namespace huewarp {
namespace {

/// A stream reference disposed at the end of the scope; the dispose error is kept for the caller.
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
  /// Disposes now and reports the host's answer.
  A_Err Dispose() {
    AEGP_StreamRefH stream = stream_;
    stream_ = nullptr;
    return stream ? access_.suites.Stream()->AEGP_DisposeStream(stream) : A_Err_NONE;
  }

 private:
  const StreamAccess &access_;
  AEGP_StreamRefH stream_ = nullptr;
};

}  // namespace

bool IsParamStreamHidden(const StreamAccess &access, PF_ParamIndex index, PF_Err &err) {
  if (err) return false;
  ScopedStream stream(access);
  err = stream.Get(index);
  AEGP_DynStreamFlags flags = 0;
  if (!err) err = access.suites.DynamicStream()->AEGP_GetDynamicStreamFlags(stream.get(), &flags);
  const A_Err dispose_err = stream.Dispose();
  if (!err) err = dispose_err;
  return !err && (flags & AEGP_DynStreamFlag_HIDDEN);
}

}  // namespace huewarp
