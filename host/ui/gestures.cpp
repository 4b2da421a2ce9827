#include "host/ui/gestures.h"

#include <algorithm>
#include <string>

#include "host/core/host.h"
#include "host/instance/record_watch.h"
#include "host/instance/undo.h"

namespace huewarp::host {
namespace {

bool OverFrame(const PF_Rect &frame, PF_Point p) {
  return frame.left <= p.h && p.h < frame.right && frame.top <= p.v && p.v < frame.bottom;
}

EventRequest RequestOf(const Gesture &gesture, PF_EventType type, PF_Point point) {
  EventRequest request;
  request.type = type;
  request.frame = gesture.frame;
  request.area = gesture.area;
  request.window = gesture.window;
  request.point = point;
  request.time = gesture.time;
  return request;
}

void KeepFirst(PF_Err &err, PF_Err next) {
  if (!err) err = next;
}

}  // namespace

Gesture ClickAt(const PF_Rect &frame, PF_Point point, std::vector<PF_Point> drags) {
  Gesture gesture;
  gesture.frame = frame;
  gesture.moves = {point};
  gesture.click = point;
  gesture.drags = std::move(drags);
  return gesture;
}

GestureResult PerformGesture(Instance &instance, const Gesture &gesture) {
  GestureResult result;
  for (const PF_Point &point : gesture.moves) {
    if (!OverFrame(gesture.frame, point)) continue;
    result.moves.push_back(SendEvent(instance, RequestOf(gesture, PF_Event_ADJUST_CURSOR, point)));
    KeepFirst(result.err, result.moves.back().command.err);
  }

  const PF_ParamIndex control = ControlParamIndex(instance);
  UndoStack &history = instance.History();
  history.BeginUndoStep(control >= 0 ? instance.Definition(control).name : "", true);

  std::vector<PF_ParamIndex> changed;
  auto note_changes = [&](const EventResult &event) {
    KeepFirst(result.err, event.command.err);
    changed.insert(changed.end(), event.changed.begin(), event.changed.end());
  };
  {
    RecordWatch records(instance);
    result.click =
        SendEvent(instance, RequestOf(gesture, PF_Event_DO_CLICK, gesture.click), &records);
    note_changes(result.click);
  }
  if (instance.host().options().appl_id == kPremierePro) {
    result.cursor = result.click.extra.u.adjust_cursor.set_cursor;
  }
  if (result.click.extra.u.do_click.send_drag) {
    for (std::size_t i = 0; i < gesture.drags.size(); ++i) {
      EventRequest request = RequestOf(gesture, PF_Event_DRAG, gesture.drags[i]);
      request.last_drag = i + 1 == gesture.drags.size();
      RecordWatch records(instance);
      result.drags.push_back(SendEvent(instance, request, &records));
      note_changes(result.drags.back());
    }
  }

  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  for (const PF_ParamIndex index : changed) {
    if (!(instance.Definition(index).flags & PF_ParamFlag_SUPERVISE)) continue;
    result.supervised.push_back(index);
    result.changes.push_back(SendUserChangedParam(instance, index, gesture.time));
    const UserChange &change = result.changes.back();
    KeepFirst(result.err, change.err ? change.err : change.command.err);
  }
  history.EndUndoStep();

  if (!gesture.redraw) return result;
  EventRequest redraw = DrawEvent(gesture.frame);
  redraw.time = gesture.time;
  result.redraw = SendEvent(instance, redraw);
  KeepFirst(result.err, result.redraw.command.err);
  return result;
}

}  // namespace huewarp::host
