#include "host/ui/events.h"

#include <optional>

#include "host/core/host_call.h"
#include "host/instance/changed_params.h"
#include "host/instance/param_stream.h"
#include "host/instance/record_watch.h"

namespace huewarp::host {
namespace {

/// PF_EventCallbacks::info_draw_text: the Info panel of the host in `refcon`.
PF_Err InfoDrawText(void *refcon, const A_char *line1, const A_char *line2) {
  const HostCall fault = Consult("info_draw_text");
  if (fault.fail) return fault.code;
  static_cast<Host *>(refcon)->Info().DrawText(line1, line2);
  return PF_Err_NONE;
}

EventRequest At(PF_EventType type, const PF_Rect &frame, PF_Point point) {
  EventRequest request;
  request.type = type;
  request.frame = frame;
  request.point = point;
  return request;
}

}  // namespace

EventRequest DrawEvent(const PF_Rect &frame) { return At(PF_Event_DRAW, frame, {0, 0}); }
EventRequest ClickEvent(const PF_Rect &frame, PF_Point point) {
  return At(PF_Event_DO_CLICK, frame, point);
}
EventRequest DragEvent(const PF_Rect &frame, PF_Point point) {
  return At(PF_Event_DRAG, frame, point);
}
EventRequest AdjustCursorEvent(const PF_Rect &frame, PF_Point point) {
  return At(PF_Event_ADJUST_CURSOR, frame, point);
}
EventRequest IdleEvent() { return At(PF_Event_IDLE, {0, 0, 300, 280}, {0, 0}); }

PF_ParamIndex ControlParamIndex(const Instance &instance) {
  for (PF_ParamIndex i = 1; i < instance.ParamCount(); ++i) {
    if (instance.Definition(i).ui_flags & PF_PUI_CONTROL) return i;
  }
  return -1;
}

EventResult SendEvent(Instance &instance, const EventRequest &request, RecordWatch *records) {
  EventResult result;
  if (request.type == PF_Event_DRAW) result.drawing = std::make_unique<Drawing>(request.frame);

  PF_Context context = EffectWindowContext(result.drawing.get());
  context.w_type = request.window;
  PF_ContextPtr context_ptr = &context;

  PF_EventExtra &extra = result.extra;
  extra.contextH = &context_ptr;
  extra.e_type = request.type;
  switch (request.type) {
    case PF_Event_DO_CLICK:
    case PF_Event_DRAG:
      extra.u.do_click.screen_point = request.point;
      extra.u.do_click.num_clicks = 1;
      extra.u.do_click.last_time = request.last_drag;
      break;
    case PF_Event_DRAW:
      extra.u.draw.update_rect = request.frame;
      break;
    case PF_Event_ADJUST_CURSOR:
      extra.u.adjust_cursor.screen_point = request.point;
      break;
    default:
      break;
  }
  extra.effect_win.index = ControlParamIndex(instance);
  extra.effect_win.area = request.area;
  extra.effect_win.current_frame = request.frame;
  extra.cbs.refcon = &instance.host();
  extra.cbs.info_draw_text = InfoDrawText;
  extra.evt_in_flags = request.in_flags;

  ParamArray params = instance.Params(request.time);
  result.command = instance.Send(PF_Cmd_EVENT, &params, &extra, request.time);
  result.changed = ApplyChangedParams(instance, params, request.time, &result.refused);
  if (records) result.records = records->Settle(params);
  // The context lived on this stack only.
  extra.contextH = nullptr;
  return result;
}

}  // namespace huewarp::host
