// What the click and change handling read and write of the slot and proxy parameters: hidden
// flags, colours, slider values in the command's parameter array, and the record's change flag.
// One running error (the command's): guarded writes run only while it is 0 and keep the first
// failure; colour refreshes and in-place copies run whatever it holds.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectSuites.h"
#include "core/param_layout.h"
#include "shell/command_context.h"
#include "shell/param_writes.h"

namespace huewarp {

class SlotAccess {
 public:
  SlotAccess(CommandContext &context, const PF_InData *in_data, PF_ParamDef *params[])
      : context_(context), in_data_(in_data), params_(params) {}

  PF_Err &err() { return context_.err(); }
  bool Hidden(PF_ParamIndex index) { return context_.Hidden(index); }
  double Float(PF_ParamIndex index) const { return params_[index]->u.fs_d.value; }

  /// Reads a colour at full precision; a failure becomes the running error unless one is set.
  bool ReadColor(const PF_ColorParamSuite1 &colors, PF_ParamIndex index, PF_PixelFloat &color) {
    const PF_Err read =
        colors.PF_GetFloatingPointColorFromColorDef(in_data_->effect_ref, params_[index], &color);
    KeepFirst(err(), read);
    return !read;
  }

  /// Shows or hides a stream while no error is set.
  void SetShown(PF_ParamIndex index, bool shown, bool undoable) {
    Guarded(err(), [&] {
      return shown ? ShowParamStream(context_.streams(), index, undoable)
                   : HideParamStream(context_.streams(), index, undoable);
    });
  }

  /// Sets a colour stream whatever the running error; a refresh, so its result is not used.
  void SetColor(PF_ParamIndex index, const PF_PixelFloat &color) {
    SetColorParamStream(context_.streams(), index, color);
  }

  // The two writes into the command's array round differently on purpose: a click copies a
  // slot's value into a proxy as the host holds it (a double), while change handling writes
  // through f32, as the host's own slider writes are made.
  /// Copies a slider's value into another, exactly, for the host to store.
  void CopyInPlace(PF_ParamIndex to, PF_ParamIndex from) {
    params_[to]->u.fs_d.value = params_[from]->u.fs_d.value;
    params_[to]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  }
  /// Writes a slider's value through f32 while no error is set.
  void WriteInPlace(PF_ParamIndex index, double value) {
    Guarded(err(), [&] { return SetFloatParamInPlace(params_, index, static_cast<float>(value)); });
  }

  /// The host stores the record only when told it changed.
  void MarkRecordChanged() {
    params_[kArbDataIndex]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  }

 private:
  CommandContext &context_;
  const PF_InData *in_data_;
  PF_ParamDef **params_;
};

}  // namespace huewarp
