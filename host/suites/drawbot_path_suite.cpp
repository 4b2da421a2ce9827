// "DRAWBOT Path Suite" 1: rectangles and polygons added to a path of the drawing that made it.
// Curves and arcs are not offered: their entries stay null.
#include "adobesdk/DrawbotSuite.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"
#include "host/ui/drawing.h"

namespace huewarp::host {
namespace {

/// Passes the gate, finds the path's drawing and runs `add` on it.
template <class Add>
SPErr OnPath(const char *op, DRAWBOT_PathRef path, Add add) {
  const HostCall fault = Consult(op);
  if (fault.fail) return fault.code;
  Drawing *d = Drawing::Owning(path);
  return d ? add(*d) : kDrawbotBadRef;
}

SPErr MoveTo(DRAWBOT_PathRef path, float x, float y) {
  return OnPath("MoveTo", path, [&](Drawing &d) { return d.MoveTo(path, {x, y}); });
}

SPErr LineTo(DRAWBOT_PathRef path, float x, float y) {
  return OnPath("LineTo", path, [&](Drawing &d) { return d.LineTo(path, {x, y}); });
}

SPErr AddRect(DRAWBOT_PathRef path, const DRAWBOT_RectF32 *rect) {
  return OnPath("AddRect", path, [&](Drawing &d) {
    return rect ? d.AddRect(path, draw::FromDrawbot(*rect)) : kDrawbotBadRef;
  });
}

SPErr Close(DRAWBOT_PathRef path) {
  return OnPath("Close", path, [&](Drawing &d) { return d.Close(path); });
}

}  // namespace

void RegisterDrawbotPathSuite(SuiteRegistry &registry) {
  static DRAWBOT_PathSuite1 suite{MoveTo, LineTo, nullptr, AddRect, nullptr, Close};
  registry.Add(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &suite);
}

}  // namespace huewarp::host
