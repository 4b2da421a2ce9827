#include "shell/param_writes.h"

#include "core/param_layout.h"
#include "shell/running_error.h"

namespace huewarp {
namespace {

/// Slots 1 to 5 of each group form the default gradient of a new instance.
constexpr int kSlotsShownAtStart = 5;

/// Gets the stream, applies `change` to it and disposes of it; the first error wins. A stream
/// the host reports as given but leaves null is treated like a missing suite table.
template <class Change>
PF_Err WithStream(const StreamAccess &access, PF_ParamIndex index, Change change) {
  ScopedStream stream(access);
  PF_Err err = stream.Get(index);
  if (!err && !stream.get()) err = PF_Err_BAD_CALLBACK_PARAM;
  if (!err) err = change(stream.get());
  KeepFirst(err, stream.Dispose());
  return err;
}

PF_Err SetHiddenFlag(const StreamAccess &access, PF_ParamIndex index, bool undoable, bool hidden) {
  return WithStream(access, index, [&](AEGP_StreamRefH stream) {
    return access.suites.DynamicStream()->AEGP_SetDynamicStreamFlag(
        stream, AEGP_DynStreamFlag_HIDDEN, undoable, hidden);
  });
}

PF_Err SetStreamValue(const StreamAccess &access, PF_ParamIndex index, AEGP_StreamValue value) {
  return WithStream(access, index, [&](AEGP_StreamRefH stream) {
    value.streamH = stream;
    return access.suites.Stream()->AEGP_SetStreamValue(access.plugin_id, stream, &value);
  });
}

}  // namespace

PF_Err HideParamStream(const StreamAccess &access, PF_ParamIndex index, bool undoable) {
  return SetHiddenFlag(access, index, undoable, true);
}

PF_Err ShowParamStream(const StreamAccess &access, PF_ParamIndex index, bool undoable) {
  return SetHiddenFlag(access, index, undoable, false);
}

PF_Err SetColorParamStream(const StreamAccess &access, PF_ParamIndex index,
                           const PF_PixelFloat &color) {
  AEGP_StreamValue value{};
  value.val.color = StreamColorOf(color);
  return SetStreamValue(access, index, value);
}

PF_Err SetFloatParamStream(const StreamAccess &access, PF_ParamIndex index, float value) {
  AEGP_StreamValue stream_value{};
  stream_value.val.one_d = value;
  return SetStreamValue(access, index, stream_value);
}

PF_Err SetFloatParamInPlace(PF_ParamDef *params[], PF_ParamIndex index, float value) {
  params[index]->u.fs_d.value = value;
  params[index]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  return PF_Err_NONE;
}

PF_Err InitializeSlotVisibility(const StreamAccess &access) {
  PF_Err err = SetFloatParamStream(access, kFlagsInitializedIndex, 1.0f);
  for (int n = kSlotsShownAtStart + 1; n <= kMaxSlots && !err; ++n) {
    for (const PF_ParamIndex index : {ColorSlotIndex(n), PositionSlotIndex(n),
                                      AlphaPositionSlotIndex(n), AlphaValueSlotIndex(n)}) {
      if (!err) err = HideParamStream(access, index, false);
    }
  }
  if (!err) err = HideParamStream(access, kFlagsInitializedIndex, false);
  return err;
}

}  // namespace huewarp
