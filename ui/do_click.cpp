// PF_Event_DO_CLICK: marker selection and the add and remove buttons.
//
// Markers are hit-tested against the pointer the last cursor event saw, the buttons against the
// click itself. Adding and removing show or hide slot streams inside a named undo group. One
// running error: guarded host calls run only while it is 0; the selection, the slot counts and
// the proxy copies are updated whatever it holds, and the record is unlocked on every path.
#include <algorithm>

#include "params/arb_data.h"
#include "core/param_layout.h"
#include "params/param_streams.h"
#include "params/param_writes.h"
#include "core/reconcile_rules.h"
#include "shell/effect_identity.h"
#include "shell/global_data.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"
#include "ui/event_handlers.h"
#include "ui/last_mouse_point.h"
#include "core/editor_layout.h"
#include "ui/undo_group.h"

namespace huewarp {
namespace {

/// What a click reads from the event record.
struct ClickEvent {
  PF_Rect frame;
  /// Where the button went down; markers use LastMousePoint instead.
  PF_Point point;
};

ClickEvent DecodeClickEvent(const PF_EventExtra &extra) {
  return {.frame = extra.effect_win.current_frame, .point = extra.u.do_click.screen_point};
}

/// Asks the host for its magnifier tool while the control is being clicked.
PF_Err SetHostTool(SuiteCache &suites) {
  // PF_ExtendedSuiteTool is a legacy enum: one byte with GNU compilers, while the host reads
  // four. Calling through a type that takes A_long hands over all 32 bits. (The detour through
  // a function type without parameters is how a deliberate change of type is spelt.)
  using SetToolFn = PF_Err (*)(A_long);
  const auto set_tool = reinterpret_cast<SetToolFn>(
      reinterpret_cast<void (*)()>(suites.Helper()->PF_SetCurrentExtendedTool));
  if (!set_tool) return PF_Err_BAD_CALLBACK_PARAM;
  return set_tool(PF_ExtendedSuiteTool_MAGNIFY);
}

/// The two kinds of slot, each judged in use by its own parameter.
struct SlotKind {
  PF_ParamIndex (*visibility)(int n);
  std::uint16_t ArbData::*current;
  std::uint16_t ArbData::*used;
};
constexpr SlotKind kColorSlots{ColorSlotIndex, &ArbData::current_handle,
                               &ArbData::color_slots_used};
constexpr SlotKind kAlphaSlots{AlphaValueSlotIndex, &ArbData::current_alpha_handle,
                               &ArbData::alpha_slots_used};

class Click {
 public:
  Click(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_EventExtra &extra,
        SuiteCache &suites, const StreamAccess &streams, GlobalData *global, ArbData &record,
        PF_Err &err)
      : in_data_(in_data),
        out_data_(out_data),
        params_(params),
        extra_(extra),
        event_(DecodeClickEvent(extra)),
        suites_(suites),
        streams_(streams),
        global_(global),
        record_(record),
        err_(err),
        locked_(params[kLockAlphaHandlesIndex]->u.bd.value != 0) {}

  bool locked() const { return locked_; }

  /// Every colour-stop marker under the pointer grabs its stop; the highest slot wins.
  void ColorMarkers() {
    const PF_Point mouse = LastMousePoint();
    for (int n = 1; n <= Bound(kColorSlots); ++n) {
      if (Hidden(kColorSlots, n)) continue;
      const int offset = MarkerClickOffset(Float(PositionSlotIndex(n)));
      if (!BoxHolds(event_.frame, ColorMarkerBox(offset), mouse)) continue;
      Grab(false);
      SetCurrent(kColorSlots, n);
      ShowColorOfStop(n);
      if (locked_) SetCurrent(kAlphaSlots, n);
    }
  }

  /// Every alpha-handle marker under the pointer grabs its handle; the highest slot wins.
  void AlphaMarkers() {
    const PF_Point mouse = LastMousePoint();
    for (int n = 1; n <= Bound(kAlphaSlots); ++n) {
      if (Hidden(kAlphaSlots, n)) continue;
      const int offset = MarkerClickOffset(Float(AlphaPositionSlotIndex(n)));
      if (!BoxHolds(event_.frame, AlphaMarkerBox(offset), mouse)) continue;
      Grab(true);
      SetCurrent(kAlphaSlots, n);
      // With the lock on, stop n becomes current too, so "Color" shows that stop at once
      // rather than the one current before the click.
      ShowColorOfStop(locked_ ? n : CurrentOf(kColorSlots));
      if (locked_) SetCurrent(kColorSlots, n);
    }
  }

  /// Colour "+" shows the lowest hidden stop (and, locked, its handle) as "Add Color"; colour
  /// "-" hides the current stop as "Remove Color" and picks a neighbour. Either recounts.
  void ColorButtons() {
    const bool plus = Pressed(kColorPlusButton);
    if (plus) {
      if (const int n = FirstHidden(kColorSlots)) {
        UndoGroup group(suites_, "Add Color", err_);
        Guarded([&] { return ShowParamStream(streams_, ColorSlotIndex(n), true); });
        Guarded([&] { return ShowParamStream(streams_, PositionSlotIndex(n), true); });
        if (locked_) {
          Guarded([&] { return ShowParamStream(streams_, AlphaPositionSlotIndex(n), true); });
          Guarded([&] { return ShowParamStream(streams_, AlphaValueSlotIndex(n), true); });
          SetCurrent(kAlphaSlots, n);
        }
        KeepFirst(group.End());
        SetCurrent(kColorSlots, n);
      }
    }
    // Counted on every click, pressed or not.
    const bool several = SeveralInUse(kColorSlots);
    const bool minus = Pressed(kColorMinusButton) && several;
    if (minus) {
      const int c = CurrentOf(kColorSlots);
      {
        UndoGroup group(suites_, "Remove Color", err_);
        Guarded([&] { return HideParamStream(streams_, ColorSlotIndex(c), true); });
        Guarded([&] { return HideParamStream(streams_, PositionSlotIndex(c), true); });
        if (locked_) {
          Guarded([&] { return HideParamStream(streams_, AlphaValueSlotIndex(c), true); });
          Guarded([&] { return HideParamStream(streams_, AlphaPositionSlotIndex(c), true); });
        }
        KeepFirst(group.End());
      }
      const int n = Neighbour(kColorSlots, c);
      SetCurrent(kColorSlots, n);
      PF_PixelFloat color{};
      if (ReadColor(ColorSlotIndex(n), color)) SetColorParamStream(streams_, kColorIndex, color);
      CopyInPlace(kPositionIndex, PositionSlotIndex(n));
      if (locked_) {
        SetCurrent(kAlphaSlots, n);
        // The handle that became current shows in the alpha proxies too, as an alpha removal
        // does; left stale, the next reconciliation would take them for the user's edit and
        // move the locked stop back on its following drag.
        CopyInPlace(kAlphaValueIndex, AlphaValueSlotIndex(n));
        CopyInPlace(kAlphaPositionIndex, AlphaPositionSlotIndex(n));
      }
    }
    if (plus || minus) {
      Recount(kColorSlots);
      if (locked_) record_.alpha_slots_used = record_.color_slots_used;
    }
  }

  /// Alpha "+" and "-", as the colour buttons; only while the handles are unlocked.
  void AlphaButtons() {
    const bool plus = Pressed(kAlphaPlusButton);
    if (plus) {
      if (const int n = FirstHidden(kAlphaSlots)) {
        UndoGroup group(suites_, "Add Alpha Handle", err_);
        Guarded([&] { return ShowParamStream(streams_, AlphaValueSlotIndex(n), true); });
        Guarded([&] { return ShowParamStream(streams_, AlphaPositionSlotIndex(n), true); });
        KeepFirst(group.End());
        SetCurrent(kAlphaSlots, n);
      }
    }
    const bool several = SeveralInUse(kAlphaSlots);
    const bool minus = Pressed(kAlphaMinusButton) && several;
    if (minus) {
      const int a = CurrentOf(kAlphaSlots);
      {
        UndoGroup group(suites_, "Remove Alpha Handle", err_);
        Guarded([&] { return HideParamStream(streams_, AlphaValueSlotIndex(a), true); });
        Guarded([&] { return HideParamStream(streams_, AlphaPositionSlotIndex(a), true); });
        KeepFirst(group.End());
      }
      const int n = Neighbour(kAlphaSlots, a);
      SetCurrent(kAlphaSlots, n);
      CopyInPlace(kAlphaValueIndex, AlphaValueSlotIndex(n));
      CopyInPlace(kAlphaPositionIndex, AlphaPositionSlotIndex(n));
    }
    if (plus || minus) Recount(kAlphaSlots);
  }

 private:
  template <class Step>
  void Guarded(Step step) {
    if (!err_) err_ = step();
  }
  void KeepFirst(PF_Err next) {
    if (!err_) err_ = next;
  }

  /// Whether a slot is hidden; while err is set, every slot counts as shown.
  bool Hidden(const SlotKind &kind, int n) {
    return IsParamStreamHidden(streams_, kind.visibility(n), err_);
  }
  /// The stored loop bound, kept inside the parameter list.
  int Bound(const SlotKind &kind) const { return std::min<int>(record_.*kind.used, kMaxSlots); }
  int CurrentOf(const SlotKind &kind) const { return ClampSlot(record_.*kind.current); }

  void SetCurrent(const SlotKind &kind, int n) {
    record_.*kind.current = static_cast<std::uint16_t>(n);
    MarkRecordChanged();
  }
  /// Tells the drags that follow what they move.
  void Grab(bool alpha) {
    if (global_) global_->alpha_grabbed = alpha ? 1 : 0;
    extra_.u.do_click.send_drag = true;
  }

  bool Pressed(const DRAWBOT_RectF32 &button) const {
    return BoxHolds(event_.frame, ButtonBox(button), event_.point);
  }

  /// The lowest hidden slot of all 100, or 0 when every one is in use.
  int FirstHidden(const SlotKind &kind) {
    for (int n = 1; n <= kMaxSlots; ++n) {
      if (Hidden(kind, n)) return n;
    }
    return 0;
  }
  /// At least two slots in use within the stored bound; the count stops at two.
  bool SeveralInUse(const SlotKind &kind) {
    int in_use = 0;
    for (int n = 1; n <= Bound(kind) && in_use < 2; ++n) in_use += !Hidden(kind, n);
    return in_use >= 2;
  }
  /// The slot that becomes current after removing `removed`: the nearest in use at or below it,
  /// else the lowest in use, else slot 1.
  int Neighbour(const SlotKind &kind, int removed) {
    for (int n = removed; n >= 1; --n) {
      if (!Hidden(kind, n)) return n;
    }
    for (int n = 1; n <= Bound(kind); ++n) {
      if (!Hidden(kind, n)) return n;
    }
    return 1;
  }
  /// The loop bound becomes the highest slot in use (1 when none is).
  void Recount(const SlotKind &kind) {
    int highest = 1;
    for (int n = kMaxSlots; n >= 1; --n) {
      if (!Hidden(kind, n)) {
        highest = n;
        break;
      }
    }
    record_.*kind.used = static_cast<std::uint16_t>(highest);
    MarkRecordChanged();
  }

  /// "Color" shows stop n; the record remembers it, so the next reconciliation sees no edit.
  void ShowColorOfStop(int n) {
    PF_PixelFloat color{};
    if (!ReadColor(ColorSlotIndex(n), color)) return;
    SetColorParamStream(streams_, kColorIndex, color);  // a refresh only: its result is not used
    record_.last_color = color;
    MarkRecordChanged();
  }
  /// Reads a colour at full precision through a suite held for this read only; a failed read
  /// becomes the running error unless one is set.
  bool ReadColor(PF_ParamIndex index, PF_PixelFloat &color) {
    const ScopedSuite<PF_ColorParamSuite1> colors(in_data_, kColorParamSuite, out_data_);
    const PF_Err read =
        colors->PF_GetFloatingPointColorFromColorDef(in_data_->effect_ref, params_[index], &color);
    KeepFirst(read);
    return !read;
  }

  double Float(PF_ParamIndex index) const { return params_[index]->u.fs_d.value; }
  /// Copies a slot's value into a proxy in the event's array, exactly, for the host to store.
  void CopyInPlace(PF_ParamIndex proxy, PF_ParamIndex slot) {
    params_[proxy]->u.fs_d.value = params_[slot]->u.fs_d.value;
    params_[proxy]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  }
  /// The host stores the record only when told it changed.
  void MarkRecordChanged() {
    params_[kArbDataIndex]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  }

  PF_InData *in_data_;
  PF_OutData *out_data_;
  PF_ParamDef **params_;
  PF_EventExtra &extra_;
  const ClickEvent event_;
  SuiteCache &suites_;
  const StreamAccess &streams_;
  GlobalData *global_;
  ArbData &record_;
  PF_Err &err_;
  const bool locked_;
};

}  // namespace

PF_Err DoClick(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *,
               PF_EventExtra *extra) {
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

  if (IsPremiere(in_data)) {
    extra->u.adjust_cursor.set_cursor = PF_Cursor_MAGNIFY;
  } else if (!err) {
    err = SetHostTool(suites);
  }

  ArbData *arb = record.as<ArbData>();
  if (!arb) return err ? err : PF_Err_OUT_OF_MEMORY;  // no record to select in

  Click click(in_data, out_data, params, *extra, suites, streams, GlobalDataOf(in_data), *arb, err);
  click.ColorMarkers();
  click.AlphaMarkers();
  click.ColorButtons();
  // The alpha buttons are not drawn while the handles follow the stops.
  if (!click.locked()) click.AlphaButtons();

  if (!err) extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return err;
}

}  // namespace huewarp
