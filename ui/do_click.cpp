// PF_Event_DO_CLICK: marker selection and the add and remove buttons.
//
// Markers are hit-tested against the pointer the last cursor event saw, the buttons against the
// click itself. Adding and removing show or hide slot streams inside a named undo group; which
// slot is added, removed or made current follows core/slot_model.h. One running error: guarded
// host calls run only while it is 0; the selection, the slot counts and the proxy copies are
// updated whatever it holds, and the record is unlocked on every path.
#include "core/arb_data_record.h"
#include "core/editor_layout.h"
#include "core/param_layout.h"
#include "core/reconcile_rules.h"
#include "core/slot_model.h"
#include "shell/command_context.h"
#include "shell/effect_identity.h"
#include "shell/global_data.h"
#include "shell/slot_access.h"
#include "shell/suites.h"
#include "ui/event_handlers.h"
#include "ui/last_mouse_point.h"
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
  std::uint16_t ArbData::*used;
};
constexpr SlotKind kColorSlots{ColorSlotIndex, &ArbData::color_slots_used};
constexpr SlotKind kAlphaSlots{AlphaValueSlotIndex, &ArbData::alpha_slots_used};

/// The slot rules' visibility query for one kind, asked of the host; while the running error is
/// set, every slot counts as shown.
struct SlotHidden {
  SlotAccess &slots;
  const SlotKind &kind;
  bool operator()(int n) const { return slots.Hidden(kind.visibility(n)); }
};

class Click {
 public:
  Click(CommandContext &context, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
        PF_EventExtra &extra, ArbData &record)
      : context_(context),
        slots_(context, in_data, params),
        in_data_(in_data),
        out_data_(out_data),
        extra_(extra),
        event_(DecodeClickEvent(extra)),
        record_(record),
        locked_(params[kLockAlphaHandlesIndex]->u.bd.value != 0) {}

  bool locked() const { return locked_; }

  /// Every colour-stop marker under the pointer grabs its stop; the highest slot wins.
  void ColorMarkers() {
    const PF_Point mouse = LastMousePoint();
    ForEachSlotInUse(Bound(kColorSlots), HiddenOf(kColorSlots), [&](int n) {
      const int offset = MarkerClickOffset(slots_.Float(PositionSlotIndex(n)));
      if (!BoxHolds(event_.frame, ColorMarkerBox(offset), mouse)) return;
      Grab(false);
      Select(SelectStop, n);
      ShowColorOfStop(n);
    });
  }

  /// Every alpha-handle marker under the pointer grabs its handle; the highest slot wins.
  void AlphaMarkers() {
    const PF_Point mouse = LastMousePoint();
    ForEachSlotInUse(Bound(kAlphaSlots), HiddenOf(kAlphaSlots), [&](int n) {
      const int offset = MarkerClickOffset(slots_.Float(AlphaPositionSlotIndex(n)));
      if (!BoxHolds(event_.frame, AlphaMarkerBox(offset), mouse)) return;
      Grab(true);
      // With the lock on, stop n is current too, so "Color" shows that stop at once rather
      // than the one current before the click.
      Select(SelectHandle, n);
      ShowColorOfStop(ClampSlot(record_.current_handle));
    });
  }

  /// Colour "+" and "-"; either recounts the stops (and, locked, the handles with them).
  void ColorButtons() {
    const bool plus = Pressed(kColorPlusButton);
    if (plus) AddColorStop();
    // Counted on every click, pressed or not.
    const bool several = SeveralSlotsInUse(Bound(kColorSlots), HiddenOf(kColorSlots));
    const bool minus = Pressed(kColorMinusButton) && several;
    if (minus) RemoveColorStop();
    if (plus || minus) {
      Recount(kColorSlots);
      CountHandlesWithStops(record_, locked_);
    }
  }

  /// Alpha "+" and "-", as the colour buttons; only while the handles are unlocked.
  void AlphaButtons() {
    const bool plus = Pressed(kAlphaPlusButton);
    if (plus) AddAlphaHandle();
    const bool several = SeveralSlotsInUse(Bound(kAlphaSlots), HiddenOf(kAlphaSlots));
    const bool minus = Pressed(kAlphaMinusButton) && several;
    if (minus) RemoveAlphaHandle();
    if (plus || minus) Recount(kAlphaSlots);
  }

 private:
  /// Shows the lowest hidden stop (and, locked, its handle) as "Add Color"; it becomes current.
  void AddColorStop() {
    const int n = FirstHiddenSlot(HiddenOf(kColorSlots));
    if (!n) return;
    SetVisibility("Add Color", StopStreams(n, locked_, true), true);
    Select(SelectStop, n);
  }

  /// Hides the current stop (and, locked, its handle) as "Remove Color"; a neighbour becomes
  /// current and shows in the proxies.
  void RemoveColorStop() {
    const int c = ClampSlot(record_.current_handle);
    SetVisibility("Remove Color", StopStreams(c, locked_, false), false);
    const int n = NeighbourSlot(c, Bound(kColorSlots), HiddenOf(kColorSlots));
    Select(SelectStop, n);
    PF_PixelFloat color{};
    if (ReadColor(ColorSlotIndex(n), color)) slots_.SetColor(kColorIndex, color);
    slots_.CopyInPlace(kPositionIndex, PositionSlotIndex(n));
    // The handle that became current shows in the alpha proxies too, as an alpha removal does;
    // left stale, the next reconciliation would take them for the user's edit and move the
    // locked stop back on its following drag.
    if (locked_) ShowHandleInProxies(n);
  }

  /// Shows the lowest hidden handle as "Add Alpha Handle"; it becomes current.
  void AddAlphaHandle() {
    const int n = FirstHiddenSlot(HiddenOf(kAlphaSlots));
    if (!n) return;
    SetVisibility("Add Alpha Handle", HandleStreams(n), true);
    Select(SelectHandle, n);
  }

  /// Hides the current handle as "Remove Alpha Handle"; a neighbour becomes current.
  void RemoveAlphaHandle() {
    const int a = ClampSlot(record_.current_alpha_handle);
    SetVisibility("Remove Alpha Handle", HandleStreams(a), false);
    const int n = NeighbourSlot(a, Bound(kAlphaSlots), HiddenOf(kAlphaSlots));
    Select(SelectHandle, n);
    ShowHandleInProxies(n);
  }

  /// Shows or hides the streams, in order, as one named undo step.
  void SetVisibility(const char *undo_name, const ParamList &streams, bool shown) {
    UndoGroup group(context_.suites(), undo_name, slots_.err());
    for (const PF_ParamIndex index : streams) slots_.SetShown(index, shown, true);
    KeepFirst(slots_.err(), group.End());
  }

  SlotHidden HiddenOf(const SlotKind &kind) { return {slots_, kind}; }
  int Bound(const SlotKind &kind) const { return SlotBound(record_.*kind.used); }

  /// Makes slot n current by the lock rule's `select`.
  void Select(void (*select)(ArbData &, int, bool), int n) {
    select(record_, n, locked_);
    slots_.MarkRecordChanged();
  }
  void Recount(const SlotKind &kind) {
    record_.*kind.used = static_cast<std::uint16_t>(HighestSlotInUse(HiddenOf(kind)));
    slots_.MarkRecordChanged();
  }
  /// Tells the drags that follow what they move.
  void Grab(bool alpha) {
    if (GlobalData *global = GlobalDataOf(in_data_)) global->alpha_grabbed = alpha ? 1 : 0;
    extra_.u.do_click.send_drag = true;
  }

  bool Pressed(const DRAWBOT_RectF32 &button) const {
    return BoxHolds(event_.frame, ButtonBox(button), event_.point);
  }

  /// "Color" shows stop n; the record remembers it, so the next reconciliation sees no edit.
  void ShowColorOfStop(int n) {
    PF_PixelFloat color{};
    if (!ReadColor(ColorSlotIndex(n), color)) return;
    slots_.SetColor(kColorIndex, color);
    record_.last_color = color;
    slots_.MarkRecordChanged();
  }
  /// Reads a colour through a suite held for this read only.
  bool ReadColor(PF_ParamIndex index, PF_PixelFloat &color) {
    const ScopedSuite<PF_ColorParamSuite1> colors(in_data_, kColorParamSuite, out_data_);
    return slots_.ReadColor(*colors.get(), index, color);
  }
  void ShowHandleInProxies(int n) {
    slots_.CopyInPlace(kAlphaValueIndex, AlphaValueSlotIndex(n));
    slots_.CopyInPlace(kAlphaPositionIndex, AlphaPositionSlotIndex(n));
  }

  CommandContext &context_;
  SlotAccess slots_;
  PF_InData *in_data_;
  PF_OutData *out_data_;
  PF_EventExtra &extra_;
  const ClickEvent event_;
  ArbData &record_;
  const bool locked_;
};

}  // namespace

PF_Err DoClick(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *,
               PF_EventExtra *extra) {
  CommandContext context(in_data);
  PF_Err &err = context.err();
  const ScopedHandleLock record = context.LockRecord(params[kArbDataIndex]->u.arb_d.value);

  if (IsPremiere(in_data)) {
    extra->u.adjust_cursor.set_cursor = PF_Cursor_MAGNIFY;
  } else {
    Guarded(err, [&] { return SetHostTool(context.suites()); });
  }

  ArbData *arb = record.as<ArbData>();
  if (!arb) return err ? err : PF_Err_OUT_OF_MEMORY;  // no record to select in

  Click click(context, in_data, out_data, params, *extra, *arb);
  click.ColorMarkers();
  click.AlphaMarkers();
  click.ColorButtons();
  // The alpha buttons are not drawn while the handles follow the stops.
  if (!click.locked()) click.AlphaButtons();

  if (!err) extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return err;
}

}  // namespace huewarp
