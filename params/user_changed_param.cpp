// PF_Cmd_USER_CHANGED_PARAM: brings the proxy parameters, the slot parameters and the ArbData
// record into line after the user changed any supervised parameter. Which side of a proxy pair
// changed is told by the record's last_* values, never by the index the host passes.
//
// One running error: guarded steps run only while it is 0 and keep their result; the colour
// writes and the record's fields are updated whatever it holds.
#include "params/arb_data.h"
#include "core/param_layout.h"
#include "shell/param_writes.h"
#include "core/proxy_sync.h"
#include "core/reconcile_rules.h"
#include "core/slot_model.h"
#include "shell/command_context.h"
#include "shell/effect_identity.h"
#include "shell/handlers.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

class Reconciliation {
 public:
  Reconciliation(CommandContext &context, PF_InData *in_data, PF_ParamDef *params[],
                 const PF_ColorParamSuite1 *colors, ArbData &record)
      : context_(context),
        err_(context.err()),
        in_data_(in_data),
        params_(params),
        colors_(colors),
        record_(record),
        locked_(params[kLockAlphaHandlesIndex]->u.bd.value != 0) {}

  /// "Color" and Color cur. Colour writes are unguarded and their results not looked at; a
  /// colour that cannot be read is not reconciled.
  void Color() {
    const PF_ParamIndex slot_index = ColorSlotIndex(CurrentStop());
    PF_PixelFloat proxy{}, slot{};
    if (!ReadColor(kColorIndex, proxy) || !ReadColor(slot_index, slot)) return;
    switch (ProxyEditOf(record_.last_color, proxy, slot)) {
      case ProxyEdit::kProxy:
        SetColorParamStream(context_.streams(), slot_index, proxy);
        record_.last_color = proxy;
        MarkRecordChanged();
        break;
      case ProxyEdit::kSlot:
        SetColorParamStream(context_.streams(), kColorIndex, slot);
        record_.last_color = slot;
        MarkRecordChanged();
        break;
      case ProxyEdit::kNone:
        break;
    }
  }

  /// Switching the lock on ties alpha handle N to colour stop N; switching it off frees them.
  void Lock() {
    const A_long lock = params_[kLockAlphaHandlesIndex]->u.bd.value;
    switch (LockSwitchOf(lock, record_.last_lock)) {
      case LockSwitch::kOn:
        LockOn();
        break;
      case LockSwitch::kOff:
        LockOff();
        break;
      case LockSwitch::kNone:
        break;
    }
    if (lock != record_.last_lock) {
      record_.last_lock = lock ? 1 : 0;
      MarkRecordChanged();
    }
  }

  /// "Position" and Position cur; with the lock on, Alpha cur Position follows.
  void Position() {
    const int cur = CurrentStop();
    Sync({kPositionIndex, PositionSlotIndex(cur), locked_ ? AlphaPositionSlotIndex(cur) : 0},
         record_.last_position);
  }

  /// "Alpha Position" and Alpha curA Position; with the lock on, Position curA follows.
  void AlphaPosition() {
    const int cur = CurrentHandle();
    Sync({kAlphaPositionIndex, AlphaPositionSlotIndex(cur), locked_ ? PositionSlotIndex(cur) : 0},
         record_.last_alpha_position);
  }

  /// "Alpha Value" and Alpha curA Value.
  void AlphaValue() {
    Sync({kAlphaValueIndex, AlphaValueSlotIndex(CurrentHandle()), 0}, record_.last_alpha_value);
  }

  /// Shows the proxies and the current slots as they now are, collapsed.
  void RefreshPanel() {
    // The alpha slot refreshed is the current alpha handle's, the one "Alpha Position" edits;
    // with the lock on it is the current colour stop's as well.
    const PF_ParamIndex shown[] = {kPositionIndex, PositionSlotIndex(CurrentStop()),
                                   kAlphaPositionIndex, AlphaPositionSlotIndex(CurrentHandle()),
                                   kAlphaValueIndex};
    for (const PF_ParamIndex index : shown) {
      Guarded(err_, [&] {
        PF_ParamDef copy = *params_[index];
        copy.flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
        return context_.suites().ParamUtils()->PF_UpdateParamUI(in_data_->effect_ref, index, &copy);
      });
    }
  }

 private:
  /// Alpha handle N is shown exactly when stop N is, and takes its position.
  void LockOn() {
    SetShown(kAlphaPositionIndex, false);
    const int slots = LockedSlotCount(record_.color_slots_used, record_.alpha_slots_used);
    for (int n = 1; n <= slots && !err_; ++n) {
      const bool shown = !context_.Hidden(ColorSlotIndex(n));
      SetShown(AlphaPositionSlotIndex(n), shown);
      SetShown(AlphaValueSlotIndex(n), shown);
      if (shown) WriteInPlace(AlphaPositionSlotIndex(n), Float(PositionSlotIndex(n)));
    }
    record_.alpha_slots_used = record_.color_slots_used;
    record_.current_alpha_handle = record_.current_handle;
    MarkRecordChanged();
    WriteInPlace(kAlphaPositionIndex, Float(AlphaPositionSlotIndex(CurrentHandle())));
  }

  /// Every handle in use gets its own position back.
  void LockOff() {
    SetShown(kAlphaPositionIndex, true);
    const int slots = SlotBound(record_.alpha_slots_used);
    for (int n = 1; n <= slots && !err_; ++n) {
      if (context_.Hidden(AlphaValueSlotIndex(n))) continue;
      SetShown(AlphaPositionSlotIndex(n), true);
    }
  }

  /// Brings one proxy pair into line; `last` is the record's last value of the proxy.
  void Sync(const ProxyPair &pair, double &last) {
    const ProxySync sync = SyncOf(pair, last, Float(pair.proxy), Float(pair.slot));
    for (int i = 0; i < sync.count; ++i) WriteInPlace(sync.targets[i], sync.value);
    if (sync.remember) {
      last = sync.value;
      MarkRecordChanged();
    }
  }

  /// Not undoable: the user's change is the undo step.
  void SetShown(PF_ParamIndex index, bool shown) {
    Guarded(err_, [&] {
      return shown ? ShowParamStream(context_.streams(), index, false)
                   : HideParamStream(context_.streams(), index, false);
    });
  }
  /// In-place writes pass through f32, as the host's sliders are written.
  void WriteInPlace(PF_ParamIndex index, double value) {
    Guarded(err_, [&] { return SetFloatParamInPlace(params_, index, static_cast<float>(value)); });
  }
  /// Reads a colour at full precision; the first failure becomes the running error.
  bool ReadColor(PF_ParamIndex index, PF_PixelFloat &color) {
    const PF_Err read =
        colors_->PF_GetFloatingPointColorFromColorDef(in_data_->effect_ref, params_[index], &color);
    KeepFirst(err_, read);
    return !read;
  }
  double Float(PF_ParamIndex index) const { return params_[index]->u.fs_d.value; }
  /// The host stores the record only when told it changed.
  void MarkRecordChanged() {
    params_[kArbDataIndex]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  }
  // Re-read at each use: switching the lock on changes the current alpha handle.
  int CurrentStop() const { return ClampSlot(record_.current_handle); }
  int CurrentHandle() const { return ClampSlot(record_.current_alpha_handle); }

  CommandContext &context_;
  PF_Err &err_;
  PF_InData *in_data_;
  PF_ParamDef **params_;
  const PF_ColorParamSuite1 *colors_;
  ArbData &record_;
  const bool locked_;
};

}  // namespace

PF_Err UserChangedParam(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], void *) {
  // Premiere offers no parameter streams to reconcile through: it only redraws.
  if (IsPremiere(in_data)) {
    out_data->out_flags |= PF_OutFlag_REFRESH_UI;
    return PF_Err_NONE;
  }

  CommandContext context(in_data);
  PF_Err &err = context.err();
  const ScopedHandleLock record = context.LockRecord(params[kArbDataIndex]->u.arb_d.value);
  ScopedSuite<PF_ColorParamSuite1> colors(in_data, kColorParamSuite, out_data);
  if (ArbData *arb = record.as<ArbData>()) {
    Reconciliation steps(context, in_data, params, colors.get(), *arb);
    steps.Color();
    steps.Lock();
    steps.Position();
    steps.AlphaPosition();
    steps.AlphaValue();
    steps.RefreshPanel();
  } else if (!err) {
    err = PF_Err_OUT_OF_MEMORY;  // no record (none made, or it cannot be locked)
  }
  out_data->out_flags |= PF_OutFlag_REFRESH_UI;
  return err;
}

}  // namespace huewarp
