// PF_Event_ADJUST_CURSOR: the pointer moved over the control. Records where, for the hit tests
// of the next click and for hover highlighting, and names the control in the Info panel.
#include "shell/effect_identity.h"
#include "shell/suites.h"
#include "ui/event_handlers.h"
#include "ui/last_mouse_point.h"

namespace huewarp {

PF_Err ChangeCursor(PF_InData *in_data, PF_OutData *, PF_EventExtra *extra) {
  // Any window type counts here; only drags insist on the effect window.
  NoteMousePoint(extra->effect_win, extra->u.adjust_cursor.screen_point);
  if (IsPremiere(in_data)) return PF_Err_NONE;
  SuiteCache suites(in_data->pica_basicP);
  return suites.AdvApp()->PF_InfoDrawText("ColorGrid - ChangeCursor Event", "Adobe Systems, Inc");
}

}  // namespace huewarp
