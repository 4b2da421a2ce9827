#include "shell/stream_access.h"

namespace huewarp {

bool IsParamStreamHidden(const StreamAccess &access, PF_ParamIndex index, PF_Err &err) {
  if (err) return false;
  ScopedStream stream(access);
  err = stream.Get(index);
  // A success without a stream counts as a failure, as it does for every stream operation.
  if (!err && !stream.get()) err = PF_Err_BAD_CALLBACK_PARAM;
  AEGP_DynStreamFlags flags = 0;
  if (!err) err = access.suites.DynamicStream()->AEGP_GetDynamicStreamFlags(stream.get(), &flags);
  const A_Err dispose_err = stream.Dispose();
  if (!err) err = dispose_err;
  return !err && (flags & AEGP_DynStreamFlag_HIDDEN);
}

}  // namespace huewarp
