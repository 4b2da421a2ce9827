// Custom-UI events as a host delivers them to an effect's control in the Effect Controls window:
// PF_Cmd_EVENT with a PF_EventExtra for draw, click, drag, idle and adjust-cursor events, in the
// control frame, area and window type the caller chooses. A draw event gets a fresh Drawing of
// the frame, which the result hands back for reading or rasterising.
//
// The effect receives the instance's parameters at the event's time; afterwards the host keeps
// every value the effect flagged with PF_ChangeFlag_CHANGED_VALUE, as it does after an event.
// Arbitrary-data records are changed in place, so they need nothing more.
#pragma once

#include <memory>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectUI.h"
#include "host/core/host.h"
#include "host/instance/instance.h"
#include "host/ui/drawing.h"

namespace huewarp::host {

class RecordWatch;

struct EventRequest {
  PF_EventType type = PF_Event_DRAW;
  /// The control's frame in panel coordinates: `effect_win.current_frame`.
  PF_Rect frame{0, 0, 300, 280};
  PF_EffectArea area = PF_EA_CONTROL;
  /// `w_type` of the event's context.
  PF_WindowType window = PF_Window_EFFECT;
  /// The pointer, for click, drag and adjust-cursor events (panel coordinates).
  PF_Point point{0, 0};
  PF_EventInFlags in_flags = PF_EI_NONE;
  /// For drags: whether this is the last one of the gesture.
  bool last_drag = false;
  /// Ticks of the instance's time scale.
  A_long time = 0;
};

struct EventResult {
  CommandResult command;
  /// The record as the effect left it: `evt_out_flags`, `u.do_click.send_drag`, `set_cursor`.
  PF_EventExtra extra{};
  /// What a draw event painted; null for other events.
  std::unique_ptr<Drawing> drawing;
  /// Parameters whose values the effect flagged changed, now stored in the instance.
  std::vector<PF_ParamIndex> changed;
  /// Parameters whose flagged value the instance refused (a value of the wrong kind).
  std::vector<PF_ParamIndex> refused;
  /// Arbitrary-data parameters whose record the effect changed, when a watch was given.
  std::vector<PF_ParamIndex> records;
};

/// Sends one event to the instance and keeps the values it changed. With `records`, made before
/// the event, the records the effect changed in place go to the open undo step.
EventResult SendEvent(Instance &instance, const EventRequest &request,
                      RecordWatch *records = nullptr);

/// The requests a test or tool sends most, each with the frame it names.
EventRequest DrawEvent(const PF_Rect &frame);
EventRequest ClickEvent(const PF_Rect &frame, PF_Point point);
EventRequest DragEvent(const PF_Rect &frame, PF_Point point);
EventRequest AdjustCursorEvent(const PF_Rect &frame, PF_Point point);
EventRequest IdleEvent();

/// The parameter carrying the instance's custom control (the one declared with PF_PUI_CONTROL),
/// or -1. Events name it in `effect_win.index`.
PF_ParamIndex ControlParamIndex(const Instance &instance);

}  // namespace huewarp::host
