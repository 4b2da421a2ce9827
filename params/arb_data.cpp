#include "params/arb_data.h"

#include <cstring>

#include "core/param_layout.h"
#include "shell/scoped_handle.h"

namespace huewarp {
namespace {

/// Room the host must offer before a record is printed at all.
constexpr A_u_long kPrintBufferSize = 512;

bool IsOurs(void *refcon) { return refcon == kArbDataRefcon; }

}  // namespace

PF_Err CreateDefaultArbData(SuiteCache &suites, PF_ArbitraryH *place) {
  const PF_HandleSuite1 &handles = *suites.Handle();
  // A handle that never reaches `place` would belong to nobody.
  PendingHandle handle(handles.host_new_handle(kArbDataSize), handles.host_dispose_handle);
  if (!handle.get()) return PF_Err_OUT_OF_MEMORY;
  {
    ScopedHandleLock lock(handle.get(), handles);
    if (!lock.data()) return PF_Err_OUT_OF_MEMORY;
    std::uint8_t bytes[kArbDataSize];
    FlattenArbData(DefaultArbData(), bytes);
    std::memcpy(lock.data(), bytes, kArbDataSize);
  }
  *place = handle.Release();
  return PF_Err_NONE;
}

PF_Err NewArbData(SuiteCache &suites, void *refcon, PF_ArbitraryH *place) {
  if (!IsOurs(refcon)) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  if (!place) return PF_Err_BAD_CALLBACK_PARAM;
  return CreateDefaultArbData(suites, place);
}

PF_Err DisposeArbData(const PF_UtilCallbacks &utils, void *refcon, PF_ArbitraryH handle) {
  if (!IsOurs(refcon)) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  if (handle) utils.host_dispose_handle(handle);
  return PF_Err_NONE;
}

PF_Err CopyArbData(SuiteCache &suites, void *refcon, PF_ArbitraryH src, PF_ArbitraryH *dst_place) {
  if (!IsOurs(refcon)) return PF_Err_NONE;
  if (!dst_place) return PF_Err_BAD_CALLBACK_PARAM;
  if (const PF_Err err = CreateDefaultArbData(suites, dst_place)) return err;
  if (!src) return PF_Err_NONE;
  const PF_HandleSuite1 &handles = *suites.Handle();
  ScopedHandleLock source(src, handles);
  if (!source.data()) return PF_Err_OUT_OF_MEMORY;
  if (*dst_place) {
    ScopedHandleLock destination(*dst_place, handles);
    if (!destination.data()) return PF_Err_OUT_OF_MEMORY;
    std::memcpy(destination.data(), source.data(), kArbDataSize);
  }
  return PF_Err_NONE;
}

PF_Err ArbDataFlatSize(A_u_long *size) {
  if (size) *size = kArbDataSize;
  return PF_Err_NONE;
}

PF_Err FlattenArbDataHandle(const PF_UtilCallbacks &utils, PF_ArbitraryH handle,
                            A_u_long buffer_size, void *buffer) {
  // Only the size the flat-size request reported makes flattening work.
  if (buffer_size != kArbDataSize || !handle || !buffer) return PF_Err_NONE;
  ScopedHandleLock lock(handle, utils);
  if (lock.data()) std::memcpy(buffer, lock.data(), kArbDataSize);
  return PF_Err_NONE;
}

PF_Err UnflattenArbDataHandle(const PF_UtilCallbacks &utils, A_u_long buffer_size,
                              const void *buffer, PF_ArbitraryH *place) {
  if (buffer_size != kArbDataSize || !place) return PF_Err_NONE;
  PF_Handle handle = utils.host_new_handle(kArbDataSize);
  if (handle) {
    ScopedHandleLock lock(handle, utils);
    if (lock.data() && buffer) std::memcpy(lock.data(), buffer, kArbDataSize);
  }
  *place = handle;
  return PF_Err_NONE;
}

PF_Err CompareArbData(const PF_UtilCallbacks &utils, PF_ArbitraryH a, PF_ArbitraryH b,
                      PF_ArbCompareResult *result) {
  if (result) *result = PF_ArbCompare_EQUAL;
  if (!a || !b) return PF_Err_NONE;
  ScopedHandleLock lock_a(a, utils);
  if (!lock_a.data()) return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  ScopedHandleLock lock_b(b, utils);
  if (!lock_b.data()) return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  // Only the current stop decides: the other fields mirror parameters and hidden flags, whose
  // changes the host tracks on its own.
  if (lock_a.as<ArbData>()->current_handle != lock_b.as<ArbData>()->current_handle && result) {
    *result = PF_ArbCompare_NOT_EQUAL;
  }
  return PF_Err_NONE;
}

PF_Err ArbDataPrintSize(void *refcon, A_u_long *size) {
  if (!IsOurs(refcon)) return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  if (size) *size = kPrintBufferSize;
  return PF_Err_NONE;
}

PF_Err PrintArbData(const PF_UtilCallbacks &utils, void *refcon, PF_ArbPrintFlags flags,
                    PF_ArbitraryH handle, A_u_long buffer_size, A_char *buffer) {
  if (!IsOurs(refcon)) return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  if (!handle) return PF_Err_NONE;
  ScopedHandleLock lock(handle, utils);
  if (!lock.data()) return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  if (flags == PF_ArbPrint_NONE && buffer_size >= kPrintBufferSize && buffer) {
    A_char text[64] = "";
    const int written =
        utils.ansi.sprintf(text, "current_handle=%d\t", lock.as<ArbData>()->current_handle);
    // Text that cannot be made, or does not fit, leaves the buffer as it was.
    if (written < 0 || std::strlen(text) > buffer_size) return PF_Err_OUT_OF_MEMORY;
    buffer[0] = '\0';
    std::strncat(buffer, text, buffer_size - 1);
  } else if (buffer_size != 0 && buffer) {
    buffer[0] = '\0';
  }
  return PF_Err_NONE;
}

PF_Err ScanArbData(void *refcon) {
  return IsOurs(refcon) ? PF_Err_NONE : PF_Err_UNRECOGNIZED_PARAM_TYPE;
}

}  // namespace huewarp
