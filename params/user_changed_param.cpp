// PF_Cmd_USER_CHANGED_PARAM: brings the proxy parameters, the slot parameters and the ArbData
// record into line after the user changed any supervised parameter. Which side of a proxy pair
// changed is told by the record's last_* values, never by the index the host passes.
//
// One running error: guarded steps run only while it is 0 and keep their result; the colour
// writes and the record's fields are updated whatever it holds.
#include "core/param_layout.h"
#include "core/proxy_sync.h"
#include "core/reconcile_rules.h"
#include "core/slot_model.h"
#include "params/arb_data.h"
#include "shell/command_context.h"
#include "shell/effect_identity.h"
#include "shell/handlers.h"
#include "shell/slot_access.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

class Reconciliation {
 public:
  Reconciliation(CommandContext &context, PF_InData *in_data, PF_ParamDef *params[],
                 const PF_ColorParamSuite1 *colors, ArbData &record)
      : slots_(context, in_data, params),
        in_data_(in_data),
        params_(params),
        colors_(colors),
        record_(record),
        suites_(context.suites()),
        locked_(params[kLockAlphaHandlesIndex]->u.bd.value != 0) {}

  /// "Color" and Color cur. Colour writes are unguarded and their results not looked at; a
  /// colour that cannot be read is not reconciled.
  void Color() {
    const PF_ParamIndex slot_index = ColorSlotIndex(CurrentStop());
    PF_PixelFloat proxy{}, slot{};
    if (!slots_.ReadColor(*colors_, kColorIndex, proxy) ||
        !slots_.ReadColor(*colors_, slot_index, slot)) {
      return;
    }
    switch (ProxyEditOf(record_.last_color, proxy, slot)) {
      case ProxyEdit::kProxy:
        slots_.SetColor(slot_index, proxy);
        record_.last_color = proxy;
        slots_.MarkRecordChanged();
        break;
      case ProxyEdit::kSlot:
        slots_.SetColor(kColorIndex, slot);
        record_.last_color = slot;
        slots_.MarkRecordChanged();
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
      slots_.MarkRecordChanged();
    }
  }

  /// "Position" and Position cur; with the lock on, Alpha cur Position follows.
  void Position() { Sync(StopPositionPair(CurrentStop(), locked_), record_.last_position); }

  /// "Alpha Position" and Alpha curA Position; with the lock on, Position curA follows.
  void AlphaPosition() {
    Sync(HandlePositionPair(CurrentHandle(), locked_), record_.last_alpha_position);
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
      Guarded(slots_.err(), [&] {
        PF_ParamDef copy = *params_[index];
        copy.flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
        return suites_.ParamUtils()->PF_UpdateParamUI(in_data_->effect_ref, index, &copy);
      });
    }
  }

 private:
  /// Alpha handle N is shown exactly when stop N is, and takes its position. Not undoable: the
  /// user's change is the undo step.
  void LockOn() {
    slots_.SetShown(kAlphaPositionIndex, false, false);
    const int count = LockedSlotCount(record_.color_slots_used, record_.alpha_slots_used);
    for (int n = 1; n <= count && !slots_.err(); ++n) {
      const bool shown = !slots_.Hidden(ColorSlotIndex(n));
      slots_.SetShown(AlphaPositionSlotIndex(n), shown, false);
      slots_.SetShown(AlphaValueSlotIndex(n), shown, false);
      if (shown) slots_.WriteInPlace(AlphaPositionSlotIndex(n), slots_.Float(PositionSlotIndex(n)));
    }
    TieHandlesToStops(record_);
    slots_.MarkRecordChanged();
    slots_.WriteInPlace(kAlphaPositionIndex, slots_.Float(AlphaPositionSlotIndex(CurrentHandle())));
  }

  /// Every handle in use gets its own position back.
  void LockOff() {
    slots_.SetShown(kAlphaPositionIndex, true, false);
    const int count = SlotBound(record_.alpha_slots_used);
    for (int n = 1; n <= count && !slots_.err(); ++n) {
      if (slots_.Hidden(AlphaValueSlotIndex(n))) continue;
      slots_.SetShown(AlphaPositionSlotIndex(n), true, false);
    }
  }

  /// Brings one proxy pair into line; `last` is the record's last value of the proxy.
  void Sync(const ProxyPair &pair, double &last) {
    const ProxySync sync = SyncOf(pair, last, slots_.Float(pair.proxy), slots_.Float(pair.slot));
    for (int i = 0; i < sync.count; ++i) slots_.WriteInPlace(sync.targets[i], sync.value);
    if (sync.remember) {
      last = sync.value;
      slots_.MarkRecordChanged();
    }
  }

  // Re-read at each use: switching the lock on changes the current alpha handle.
  int CurrentStop() const { return ClampSlot(record_.current_handle); }
  int CurrentHandle() const { return ClampSlot(record_.current_alpha_handle); }

  SlotAccess slots_;
  PF_InData *in_data_;
  PF_ParamDef **params_;
  const PF_ColorParamSuite1 *colors_;
  ArbData &record_;
  SuiteCache &suites_;
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
