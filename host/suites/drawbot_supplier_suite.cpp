// "DRAWBOT Supplier Suite" 1: makes paths, brushes, pens and the default font in the drawing the
// supplier belongs to, and takes them back. An injected fault leaves the new object null; a
// null-kind fault answers success with no object, as a host that ran out of them.
#include "adobesdk/DrawbotSuite.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"
#include "host/ui/drawing.h"

namespace huewarp::host {
namespace {

/// The host's default font size, in panel pixels.
constexpr float kDefaultFontSize = 12.0f;

/// `args_ok` says whether the operation's own arguments (a colour) are usable.
template <class Ref, class Make>
SPErr MakeObject(const char *op, DRAWBOT_SupplierRef supplier, bool args_ok, Ref *out, Make make) {
  if (out) *out = nullptr;
  const HostCall fault = Consult(op);
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : kSPNoError;
  Drawing *d = Drawing::OfSupplier(supplier);
  if (!d || !args_ok || !out) return kDrawbotBadRef;
  *out = make(*d);
  return kSPNoError;
}

SPErr NewPen(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA *color, float size,
             DRAWBOT_PenRef *pen) {
  return MakeObject("NewPen", supplier, color != nullptr, pen,
                    [&](Drawing &d) { return d.NewPen(draw::FromDrawbot(*color), size); });
}

SPErr NewBrush(DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA *color,
               DRAWBOT_BrushRef *brush) {
  return MakeObject("NewBrush", supplier, color != nullptr, brush,
                    [&](Drawing &d) { return d.NewBrush(draw::FromDrawbot(*color)); });
}

SPErr NewDefaultFont(DRAWBOT_SupplierRef supplier, float size, DRAWBOT_FontRef *font) {
  return MakeObject("NewDefaultFont", supplier, true, font,
                    [&](Drawing &d) { return d.NewDefaultFont(size); });
}

SPErr NewPath(DRAWBOT_SupplierRef supplier, DRAWBOT_PathRef *path) {
  return MakeObject("NewPath", supplier, true, path, [](Drawing &d) { return d.NewPath(); });
}

SPErr SupportsText(DRAWBOT_SupplierRef supplier, DRAWBOT_Boolean *supports) {
  const HostCall fault = Consult("SupportsText");
  if (fault.fail) return fault.code;
  if (!Drawing::OfSupplier(supplier) || !supports) return kDrawbotBadRef;
  *supports = 1;
  return kSPNoError;
}

SPErr GetDefaultFontSize(DRAWBOT_SupplierRef supplier, float *size) {
  const HostCall fault = Consult("GetDefaultFontSize");
  if (fault.fail) return fault.code;
  if (!Drawing::OfSupplier(supplier) || !size) return kDrawbotBadRef;
  *size = kDefaultFontSize;
  return kSPNoError;
}

SPErr RetainObject(DRAWBOT_ObjectRef object) {
  const HostCall fault = Consult("RetainObject");
  if (fault.fail) return fault.code;
  return Drawing::RetainObject(object);
}

SPErr ReleaseObject(DRAWBOT_ObjectRef object) {
  const HostCall fault = Consult("ReleaseObject");
  // The effect has given the object back even when the host reports an error.
  const SPErr err = Drawing::ReleaseObject(object);
  return fault.fail ? fault.code : err;
}

}  // namespace

void RegisterDrawbotSupplierSuite(SuiteRegistry &registry) {
  static DRAWBOT_SupplierSuite1 suite = [] {
    DRAWBOT_SupplierSuite1 s{};
    s.NewPen = NewPen;
    s.NewBrush = NewBrush;
    s.SupportsText = SupportsText;
    s.GetDefaultFontSize = GetDefaultFontSize;
    s.NewDefaultFont = NewDefaultFont;
    s.NewPath = NewPath;
    s.RetainObject = RetainObject;
    s.ReleaseObject = ReleaseObject;
    return s;
  }();
  registry.Add(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &suite);
}

}  // namespace huewarp::host
