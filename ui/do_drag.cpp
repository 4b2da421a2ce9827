// PF_Event_DRAG: moves the marker the click grabbed to the pointer's height. Only the vertical
// offset from the control's top counts, and the position is not clamped, so a drag beyond the
// bar gives a value outside 0..100 for the host to store. The proxies of the alpha side and
// the record's last_* values are left to the reconciliation that follows the gesture.
#include "core/arb_data_record.h"
#include "core/editor_layout.h"
#include "core/param_layout.h"
#include "core/reconcile_rules.h"
#include "core/slot_model.h"
#include "shell/global_data.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"
#include "ui/event_handlers.h"
#include "ui/last_mouse_point.h"

namespace huewarp {
namespace {

/// What a drag reads from the event record.
struct DragEvent {
  /// In the effect's own window and over the control itself.
  bool onControl;
  PF_EffectWindowInfo window;
  PF_Point point;
};

DragEvent DecodeDragEvent(const PF_EventExtra &extra) {
  const bool effect_window =
      extra.contextH && *extra.contextH && (*extra.contextH)->w_type == PF_Window_EFFECT;
  return {.onControl = effect_window && extra.effect_win.area == PF_EA_CONTROL,
          .window = extra.effect_win,
          .point = extra.u.do_click.screen_point};
}

/// Writes a position, as the double it is, into the event's array and flags it changed.
void WritePosition(PF_ParamDef *params[], PF_ParamIndex index, double value) {
  params[index]->u.fs_d.value = value;
  params[index]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
}

}  // namespace

PF_Err DoDrag(PF_InData *in_data, PF_OutData *, PF_ParamDef *params[], PF_LayerDef *,
              PF_EventExtra *extra) {
  const DragEvent event = DecodeDragEvent(*extra);
  SuiteCache suites(in_data->pica_basicP);
  const ScopedHandleLock record(params[kArbDataIndex]->u.arb_d.value, *suites.Handle());
  const ArbData *arb = record.as<ArbData>();
  if (event.onControl) NoteMousePoint(event.window, event.point);
  if (event.onControl && arb) {
    const double p = (event.point.v - event.window.current_frame.top) * kPercentPerPixel;
    const int stop = ClampSlot(arb->current_handle);
    const int handle = ClampSlot(arb->current_alpha_handle);
    const GlobalData *global = GlobalDataOf(in_data);
    const bool alpha_grabbed = global && global->alpha_grabbed;
    const bool locked = params[kLockAlphaHandlesIndex]->u.bd.value != 0;
    for (const PF_ParamIndex index : DraggedPositions(stop, handle, locked, alpha_grabbed)) {
      WritePosition(params, index, p);
    }
    // The parameter that carries the control: its change is what the host reacts to.
    params[kOutputRangeIndex]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
  }
  extra->evt_out_flags = PF_EO_ALWAYS_UPDATE;
  return PF_Err_NONE;
}

}  // namespace huewarp
