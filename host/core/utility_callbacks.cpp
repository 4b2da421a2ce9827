#include "host/core/utility_callbacks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "AE_EffectCB.h"
#include "host/core/command_context.h"
#include "host/core/handle_callbacks.h"
#include "host/core/host.h"
#include "host/core/host_call.h"

namespace huewarp::host {
namespace {

HandleService *Handles() {
  CommandContext *context = CurrentCommand();
  return context ? &context->host->Handles() : nullptr;
}

}  // namespace

PF_Handle NewHandle(A_u_longlong size) {
  const HostCall fault = Consult("host_new_handle");
  if (fault.fail) return nullptr;
  HandleService *handles = Handles();
  return handles ? handles->New(static_cast<std::size_t>(size)) : nullptr;
}

void *LockHandle(PF_Handle handle) {
  const HostCall fault = Consult("host_lock_handle");
  if (fault.fail) return nullptr;
  HandleService *handles = Handles();
  if (!handles || !handles->IsLive(handle)) return nullptr;
  handles->AddLock(handle, +1);
  CurrentLedger().Acquire(Resource::kHandleLock, handles->Name(handle), "host_lock_handle");
  return handles->Data(handle);
}

void UnlockHandle(PF_Handle handle) {
  const HostCall call = Consult("host_unlock_handle");
  HandleService *handles = Handles();
  if (!handles || !handles->IsLive(handle)) return;
  handles->AddLock(handle, -1);
  CurrentLedger().Release(Resource::kHandleLock, handles->Name(handle), "host_unlock_handle");
}

void DisposeHandle(PF_Handle handle) {
  const HostCall call = Consult("host_dispose_handle");
  if (HandleService *handles = Handles()) handles->Dispose(handle);
}

A_u_longlong HandleSize(PF_Handle handle) {
  const HostCall call = Consult("host_get_handle_size");
  HandleService *handles = Handles();
  return handles ? handles->Size(handle) : 0;
}

PF_Err ResizeHandle(A_u_longlong, PF_Handle *) {
  const HostCall fault = Consult("host_resize_handle");
  return fault.fail ? fault.code : PF_Err_INVALID_CALLBACK;
}

namespace {

int AnsiSprintf(A_char *buffer, const A_char *format, ...) {
  const HostCall fault = Consult("sprintf");
  if (fault.fail || !buffer || !format) return -1;
  va_list args;
  va_start(args, format);
  const int n = std::vsprintf(buffer, format, args);
  va_end(args);
  return n;
}

A_char *AnsiStrcpy(A_char *dst, const A_char *src) {
  const HostCall fault = Consult("strcpy");
  if (fault.fail || !dst || !src) return nullptr;
  return std::strcpy(dst, src);
}

_PF_UtilCallbacks MakeUtilityCallbacks() {
  _PF_UtilCallbacks utils{};
  utils.host_new_handle = NewHandle;
  utils.host_lock_handle = LockHandle;
  utils.host_unlock_handle = UnlockHandle;
  utils.host_dispose_handle = DisposeHandle;
  utils.host_get_handle_size = HandleSize;
  utils.host_resize_handle = ResizeHandle;
  utils.ansi.sprintf = AnsiSprintf;
  utils.ansi.strcpy = AnsiStrcpy;
  return utils;
}

}  // namespace

_PF_UtilCallbacks *UtilityCallbacks() {
  static _PF_UtilCallbacks utils = MakeUtilityCallbacks();
  return &utils;
}

}  // namespace huewarp::host
