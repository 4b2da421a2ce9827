// "DRAWBOT Surface Suite" 2: records fills, strokes, strings, painted rectangles, state pushes
// and flushes in the surface's drawing. Clipping, transforms and images are not offered: their
// entries stay null, as a host that lacks them.
#include "adobesdk/DrawbotSuite.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"
#include "host/ui/drawing.h"

namespace huewarp::host {
namespace {

/// Passes the gate, finds the surface's drawing and runs `record` on it.
template <class Record>
SPErr OnSurface(const char *op, DRAWBOT_SurfaceRef surface, Record record) {
  const HostCall fault = Consult(op);
  if (fault.fail) return fault.code;
  Drawing *d = Drawing::OfSurface(surface);
  return d ? record(*d) : kDrawbotBadRef;
}

SPErr PushStateStack(DRAWBOT_SurfaceRef surface) {
  return OnSurface("PushStateStack", surface, [](Drawing &d) { return d.PushState(); });
}

SPErr PopStateStack(DRAWBOT_SurfaceRef surface) {
  return OnSurface("PopStateStack", surface, [](Drawing &d) { return d.PopState(); });
}

SPErr PaintRect(DRAWBOT_SurfaceRef surface, const DRAWBOT_ColorRGBA *color,
                const DRAWBOT_RectF32 *rect) {
  return OnSurface("PaintRect", surface, [&](Drawing &d) {
    if (!color || !rect) return kDrawbotBadRef;
    return d.PaintRect(draw::FromDrawbot(*color), draw::FromDrawbot(*rect));
  });
}

SPErr FillPath(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_PathRef path,
               DRAWBOT_FillType fill_type) {
  return OnSurface("FillPath", surface,
                   [&](Drawing &d) { return d.FillPath(brush, path, fill_type); });
}

SPErr StrokePath(DRAWBOT_SurfaceRef surface, DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
  return OnSurface("StrokePath", surface, [&](Drawing &d) { return d.StrokePath(pen, path); });
}

SPErr DrawString(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                 const DRAWBOT_UTF16Char *text, const DRAWBOT_PointF32 *origin,
                 DRAWBOT_TextAlignment alignment, DRAWBOT_TextTruncation truncation,
                 float truncation_width) {
  return OnSurface("DrawString", surface, [&](Drawing &d) {
    if (!origin) return kDrawbotBadRef;
    return d.DrawString(brush, font, text, draw::FromDrawbot(*origin), alignment, truncation,
                        truncation_width);
  });
}

SPErr Flush(DRAWBOT_SurfaceRef surface) {
  return OnSurface("Flush", surface, [](Drawing &d) { return d.Flush(); });
}

}  // namespace

void RegisterDrawbotSurfaceSuite(SuiteRegistry &registry) {
  static DRAWBOT_SurfaceSuite2 suite = [] {
    DRAWBOT_SurfaceSuite2 s{};
    s.PushStateStack = PushStateStack;
    s.PopStateStack = PopStateStack;
    s.PaintRect = PaintRect;
    s.FillPath = FillPath;
    s.StrokePath = StrokePath;
    s.DrawString = DrawString;
    s.Flush = Flush;
    return s;
  }();
  registry.Add(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &suite);
}

}  // namespace huewarp::host
