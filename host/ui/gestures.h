// A user's gesture over an effect's custom control, delivered as a host delivers it: pointer
// moves while the pointer is over the control (adjust-cursor events), the click, drag events
// while the button stays down when the click asked for them (`send_drag`), then
// PF_Cmd_USER_CHANGED_PARAM for each supervised parameter whose value the gesture changed, and a
// redraw of the control.
//
// The whole gesture is one undo step named after the control's parameter, unless the effect
// opens an undo group of its own ("Add Color"), whose name the step then takes. Records the
// effect changes in place join the step, so undo restores them too.
#pragma once

#include <optional>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectUI.h"
#include "host/instance/instance.h"
#include "host/instance/supervision.h"
#include "host/ui/events.h"

namespace huewarp::host {

struct Gesture {
  /// The control's frame, the area and window type of the events, in panel coordinates.
  PF_Rect frame{0, 0, 300, 280};
  PF_EffectArea area = PF_EA_CONTROL;
  PF_WindowType window = PF_Window_EFFECT;
  /// Where the pointer passes before the button goes down; only points over the frame (its left
  /// and top edges included) arrive as events.
  std::vector<PF_Point> moves;
  PF_Point click{0, 0};
  /// Where the pointer goes while the button is down; the last one is the release.
  std::vector<PF_Point> drags;
  /// Ticks of the instance's time scale.
  A_long time = 0;
  /// Whether the control is redrawn at the end, as a host does; a caller that draws at moments
  /// of its own (a fuzzer, for speed) can leave it out.
  bool redraw = true;
};

struct GestureResult {
  /// The first error any event or command of the gesture returned.
  PF_Err err = PF_Err_NONE;
  std::vector<EventResult> moves;
  EventResult click;
  /// The drags sent: none unless the click set `send_drag`.
  std::vector<EventResult> drags;
  /// The supervised parameters the gesture changed, in index order, and the command each got.
  std::vector<PF_ParamIndex> supervised;
  std::vector<UserChange> changes;
  /// The redraw that ends the gesture, when it asked for one.
  EventResult redraw;
  /// In Premiere Pro, the cursor the effect chose during the click (`set_cursor`).
  std::optional<PF_CursorType> cursor;
};

/// Performs the gesture on the instance's control.
GestureResult PerformGesture(Instance &instance, const Gesture &gesture);

/// A gesture that hovers `point` and clicks there, then drags through `drags`.
Gesture ClickAt(const PF_Rect &frame, PF_Point point, std::vector<PF_Point> drags = {});

}  // namespace huewarp::host
