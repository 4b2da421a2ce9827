#include "shell/stream_access.h"

#include "shell/running_error.h"

namespace huewarp {

bool IsParamStreamHidden(const StreamAccess &access, PF_ParamIndex index, PF_Err &err) {
  if (err) return false;
  ScopedStream stream(access);
  err = stream.Get(index);
  // A success without a stream counts as a failure, as it does for every stream operation.
  if (!err && !stream.get()) err = PF_Err_BAD_CALLBACK_PARAM;
  AEGP_DynStreamFlags flags = 0;
  if (!err) err = access.suites.DynamicStream()->AEGP_GetDynamicStreamFlags(stream.get(), &flags);
  KeepFirst(err, stream.Dispose());
  return !err && (flags & AEGP_DynStreamFlag_HIDDEN);
}

}  // namespace huewarp
