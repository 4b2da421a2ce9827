// PF_Cmd_USER_CHANGED_PARAM: brings the proxy parameters, the slot parameters and the ArbData
// record into line after the user changed any supervised parameter. Which side of a proxy pair
// changed is told by the record's last_* values, never by the index the host passes.
//
// One running error: guarded steps run only while it is 0 and keep their result; the colour
// writes and the record's fields are updated whatever it holds.
#include <algorithm>

#include "params/arb_data.h"
#include "core/param_layout.h"
#include "params/param_streams.h"
#include "params/param_writes.h"
#include "core/reconcile_rules.h"
#include "shell/effect_identity.h"
#include "shell/global_data.h"
#include "shell/handlers.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

class Reconciliation {
 public:
  Reconciliation(PF_InData *in_data, PF_ParamDef *params[], const StreamAccess &streams,
                 const PF_ColorParamSuite1 *colors, ArbData &record, PF_Err &err)
      : in_data_(in_data),
        params_(params),
        streams_(streams),
        colors_(colors),
        record_(record),
        err_(err),
        locked_(params[kLockAlphaHandlesIndex]->u.bd.value != 0) {}

  /// "Color" and Color cur. Colour writes are unguarded and their results not looked at; a
  /// colour that cannot be read is not reconciled.
  void Color() {
    const PF_ParamIndex slot_index = ColorSlotIndex(CurrentStop());
    PF_PixelFloat proxy{}, slot{};
    if (!ReadColor(kColorIndex, proxy) || !ReadColor(slot_index, slot)) return;
    switch (ProxyEditOf(record_.last_color, proxy, slot)) {
      case ProxyEdit::kProxy:
        SetColorParamStream(streams_, slot_index, proxy);
        record_.last_color = proxy;
        MarkRecordChanged();
        break;
      case ProxyEdit::kSlot:
        SetColorParamStream(streams_, kColorIndex, slot);
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
    const double p = Float(kPositionIndex), q = Float(PositionSlotIndex(cur));
    switch (ProxyEditOf(record_.last_position, p, q)) {
      case ProxyEdit::kProxy:
        WriteInPlace(PositionSlotIndex(cur), p);
        record_.last_position = p;
        MarkRecordChanged();
        if (locked_) WriteInPlace(AlphaPositionSlotIndex(cur), p);
        break;
      case ProxyEdit::kSlot:
        WriteInPlace(kPositionIndex, q);
        if (locked_) WriteInPlace(AlphaPositionSlotIndex(cur), q);
        break;
      case ProxyEdit::kNone:
        break;
    }
  }

  /// "Alpha Position" and Alpha curA Position; with the lock on, Position curA follows.
  void AlphaPosition() {
    const int cur = CurrentHandle();
    const double a = Float(kAlphaPositionIndex), b = Float(AlphaPositionSlotIndex(cur));
    switch (ProxyEditOf(record_.last_alpha_position, a, b)) {
      case ProxyEdit::kProxy:
        WriteInPlace(AlphaPositionSlotIndex(cur), a);
        record_.last_alpha_position = a;
        MarkRecordChanged();
        if (locked_) WriteInPlace(PositionSlotIndex(cur), a);
        break;
      case ProxyEdit::kSlot:
        WriteInPlace(kAlphaPositionIndex, b);
        if (locked_) WriteInPlace(PositionSlotIndex(cur), b);
        break;
      case ProxyEdit::kNone:
        break;
    }
  }

  /// "Alpha Value" and Alpha curA Value.
  void AlphaValue() {
    const int cur = CurrentHandle();
    const double v = Float(kAlphaValueIndex), w = Float(AlphaValueSlotIndex(cur));
    switch (ProxyEditOf(record_.last_alpha_value, v, w)) {
      case ProxyEdit::kProxy:
        WriteInPlace(AlphaValueSlotIndex(cur), v);
        record_.last_alpha_value = v;
        MarkRecordChanged();
        break;
      case ProxyEdit::kSlot:
        WriteInPlace(kAlphaValueIndex, w);
        break;
      case ProxyEdit::kNone:
        break;
    }
  }

  /// Shows the proxies and the current slots as they now are, collapsed.
  void RefreshPanel(SuiteCache &suites) {
    // The alpha slot refreshed is the current alpha handle's, the one "Alpha Position" edits;
    // with the lock on it is the current colour stop's as well.
    const PF_ParamIndex shown[] = {kPositionIndex, PositionSlotIndex(CurrentStop()),
                                   kAlphaPositionIndex, AlphaPositionSlotIndex(CurrentHandle()),
                                   kAlphaValueIndex};
    for (const PF_ParamIndex index : shown) {
      Guarded([&] {
        PF_ParamDef copy = *params_[index];
        copy.flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
        return suites.ParamUtils()->PF_UpdateParamUI(in_data_->effect_ref, index, &copy);
      });
    }
  }

 private:
  void LockOn() {
    Guarded([&] { return HideParamStream(streams_, kAlphaPositionIndex, false); });
    const int slots =
        std::min<int>(kMaxSlots, std::max(record_.color_slots_used, record_.alpha_slots_used));
    for (int n = 1; n <= slots && !err_; ++n) {
      const PF_ParamIndex position = AlphaPositionSlotIndex(n), value = AlphaValueSlotIndex(n);
      if (!IsParamStreamHidden(streams_, ColorSlotIndex(n), err_)) {
        Guarded([&] { return ShowParamStream(streams_, position, false); });
        Guarded([&] { return ShowParamStream(streams_, value, false); });
        WriteInPlace(position, Float(PositionSlotIndex(n)));
      } else {
        Guarded([&] { return HideParamStream(streams_, position, false); });
        Guarded([&] { return HideParamStream(streams_, value, false); });
      }
    }
    record_.alpha_slots_used = record_.color_slots_used;
    MarkRecordChanged();
    record_.current_alpha_handle = record_.current_handle;
    MarkRecordChanged();
    WriteInPlace(kAlphaPositionIndex, Float(AlphaPositionSlotIndex(CurrentHandle())));
  }

  void LockOff() {
    Guarded([&] { return ShowParamStream(streams_, kAlphaPositionIndex, false); });
    const int slots = std::min<int>(kMaxSlots, record_.alpha_slots_used);
    for (int n = 1; n <= slots && !err_; ++n) {
      if (IsParamStreamHidden(streams_, AlphaValueSlotIndex(n), err_)) continue;
      Guarded([&] { return ShowParamStream(streams_, AlphaPositionSlotIndex(n), false); });
    }
  }

  template <class Step>
  void Guarded(Step step) {
    if (!err_) err_ = step();
  }
  /// In-place writes pass through f32, as the host's sliders are written.
  void WriteInPlace(PF_ParamIndex index, double value) {
    Guarded([&] { return SetFloatParamInPlace(params_, index, static_cast<float>(value)); });
  }
  /// Reads a colour at full precision; the first failure becomes the running error.
  bool ReadColor(PF_ParamIndex index, PF_PixelFloat &color) {
    const PF_Err read =
        colors_->PF_GetFloatingPointColorFromColorDef(in_data_->effect_ref, params_[index], &color);
    if (read && !err_) err_ = read;
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

  PF_InData *in_data_;
  PF_ParamDef **params_;
  const StreamAccess &streams_;
  const PF_ColorParamSuite1 *colors_;
  ArbData &record_;
  PF_Err &err_;
  const bool locked_;
};

}  // namespace

PF_Err UserChangedParam(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], void *) {
  // Premiere offers no parameter streams to reconcile through: it only redraws.
  if (IsPremiere(in_data)) {
    out_data->out_flags |= PF_OutFlag_REFRESH_UI;
    return PF_Err_NONE;
  }

  SuiteCache suites(in_data->pica_basicP);
  const AEGP_PluginID plugin_id = PluginIdOf(in_data);
  // Not released: no suite the effect uses gives an effect reference back, and the host frees
  // it with the command. A success without a reference counts as a failure.
  AEGP_EffectRefH effect = nullptr;
  PF_Err err =
      suites.PFInterface()->AEGP_GetNewEffectForEffect(plugin_id, in_data->effect_ref, &effect);
  if (!err && !effect) err = PF_Err_BAD_CALLBACK_PARAM;
  const StreamAccess streams{suites, plugin_id, effect};

  ScopedHandleLock record(params[kArbDataIndex]->u.arb_d.value, suites.Handle()->host_lock_handle,
                          in_data->utils->host_unlock_handle);
  ScopedSuite<PF_ColorParamSuite1> colors(in_data, kColorParamSuite, out_data);
  if (ArbData *arb = record.as<ArbData>()) {
    Reconciliation steps(in_data, params, streams, colors.get(), *arb, err);
    steps.Color();
    steps.Lock();
    steps.Position();
    steps.AlphaPosition();
    steps.AlphaValue();
    steps.RefreshPanel(suites);
  } else if (!err) {
    err = PF_Err_OUT_OF_MEMORY;  // no record (none made, or it cannot be locked)
  }
  out_data->out_flags |= PF_OutFlag_REFRESH_UI;
  return err;
}

}  // namespace huewarp
