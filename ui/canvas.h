// The surface one draw of the ColorGrid control paints on: the Drawbot suites, the supplier and
// surface of the event's drawing, and the control frame all geometry is relative to.
#pragma once

#include "AE_Effect.h"
#include "adobesdk/DrawbotSuite.h"

namespace huewarp {

struct Canvas {
  const DRAWBOT_Suites &suites;
  DRAWBOT_SupplierRef supplier;
  DRAWBOT_SurfaceRef surface;
  PF_Rect frame;
};

/// An opaque grey.
inline DRAWBOT_ColorRGBA Grey(float level, float alpha = 1.0f) {
  return {level, level, level, alpha};
}

/// Paints one filled rectangle with its own path and brush: NewPath, NewBrush, AddRect, FillPath
/// (winding), then the brush and the path are released. Nothing is made once `err` is set; the
/// first error stays in `err`, and a failing release only fills an empty one.
void FillRect(const Canvas &canvas, const DRAWBOT_RectF32 &rect, const DRAWBOT_ColorRGBA &color,
              PF_Err &err);

}  // namespace huewarp
