#include "ui/last_mouse_point.h"

namespace huewarp {
namespace {

PF_Point g_last_mouse_point{0, 0};

bool StrictlyInside(const PF_Rect &frame, const PF_Point &p) {
  return frame.left < p.h && p.h < frame.right && frame.top < p.v && p.v < frame.bottom;
}

}  // namespace

PF_Point LastMousePoint() { return g_last_mouse_point; }

void NoteMousePoint(const PF_EffectWindowInfo &window, const PF_Point &point) {
  if (window.area == PF_EA_CONTROL && StrictlyInside(window.current_frame, point)) {
    g_last_mouse_point = point;
  }
}

}  // namespace huewarp
