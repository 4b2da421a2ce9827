// The host's Drawbot drawing for one draw event: the objects the supplier makes (paths, brushes,
// pens, fonts) live in it, and the surface records every operation as a plain value that tests
// read for exact geometry and colour and that the rasteriser replays.
//
// Coordinates are panel coordinates as the effect passes them; colours are straight RGBA floats
// exactly as passed. Objects made by the supplier are acquired in the running command's ledger
// and given back by ReleaseObject; the draw reference, supplier and surface belong to the drawing.
// Refs are never reused in a process, so a stale or released one is recognised as such. The
// registry of refs is shared and locked; a drawing itself is used by one command at a time.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "AE_EffectUI.h"
#include "adobesdk/drawbotsuite/DrawbotSuiteTypes.h"

namespace huewarp::host {

namespace draw {

struct Color {
  float red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const Color &) const = default;
};

struct Rect {
  float left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect &) const = default;
};

struct Point {
  float x = 0, y = 0;
  bool operator==(const Point &) const = default;
};

/// A subpath made of MoveTo, LineTo and Close.
struct Polygon {
  std::vector<Point> points;
  bool closed = false;
  bool operator==(const Polygon &) const = default;
};

/// What a path holds when it is filled or stroked: its rectangles and its polygons.
struct Shape {
  std::vector<Rect> rects;
  std::vector<Polygon> polygons;
  bool operator==(const Shape &) const = default;
};

struct Fill {
  Shape shape;
  Color color;
  int fill_type = kDRAWBOT_FillType_Winding;
  bool operator==(const Fill &) const = default;
};

/// An outline centred on the shape's edges.
struct Stroke {
  Shape shape;
  Color color;
  float width = 1;
  bool operator==(const Stroke &) const = default;
};

/// A string drawn with the default font; `origin` is the left end of the baseline for left
/// alignment, its centre or right end for the others.
struct Text {
  std::string utf8;
  Point origin;
  Color color;
  float font_size = 0;
  int alignment = kDRAWBOT_TextAlignment_Left;
  int truncation = kDRAWBOT_TextTruncation_None;
  float truncation_width = 0;
  bool operator==(const Text &) const = default;
};

struct PaintRect {
  Rect rect;
  Color color;
  bool operator==(const PaintRect &) const = default;
};

struct PushState {
  bool operator==(const PushState &) const = default;
};
struct PopState {
  bool operator==(const PopState &) const = default;
};
struct Flush {
  bool operator==(const Flush &) const = default;
};

using Operation = std::variant<Fill, Stroke, Text, PaintRect, PushState, PopState, Flush>;

inline Color FromDrawbot(const DRAWBOT_ColorRGBA &c) { return {c.red, c.green, c.blue, c.alpha}; }
inline Rect FromDrawbot(const DRAWBOT_RectF32 &r) { return {r.left, r.top, r.width, r.height}; }
inline Point FromDrawbot(const DRAWBOT_PointF32 &p) { return {p.x, p.y}; }

/// Converts a null-terminated UTF-16 string; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const DRAWBOT_UTF16Char *text);

std::ostream &operator<<(std::ostream &os, const Color &c);
std::ostream &operator<<(std::ostream &os, const Rect &r);
std::ostream &operator<<(std::ostream &os, const Point &p);

}  // namespace draw

/// Error code of a Drawbot call with a bad, stale or mismatched ref.
inline constexpr int32_t kDrawbotBadRef = 516;  // PF_Err_BAD_CALLBACK_PARAM

class Drawing {
 public:
  /// A drawing over the control's frame in panel coordinates.
  explicit Drawing(const PF_LRect &frame);
  ~Drawing();
  Drawing(const Drawing &) = delete;
  Drawing &operator=(const Drawing &) = delete;

  const PF_LRect &frame() const { return frame_; }
  DRAWBOT_DrawRef ref() const { return draw_ref_; }
  DRAWBOT_SupplierRef supplier() const { return supplier_ref_; }
  DRAWBOT_SurfaceRef surface() const { return surface_ref_; }

  /// Everything the surface recorded, in order.
  const std::vector<draw::Operation> &operations() const { return operations_; }
  /// The recorded operations of one kind, in order.
  template <class Op>
  std::vector<Op> OperationsOf() const {
    std::vector<Op> out;
    for (const auto &op : operations_) {
      if (const Op *p = std::get_if<Op>(&op)) out.push_back(*p);
    }
    return out;
  }
  /// Supplier objects made and not yet released.
  int LiveObjects() const;

  /// The drawing a ref of any kind belongs to, or null for an unknown or stale one.
  static Drawing *Owning(const void *ref);
  /// The drawing whose own draw reference, supplier or surface this is, else null.
  static Drawing *OfDrawRef(DRAWBOT_DrawRef ref) { return Own(ref, &Drawing::draw_ref_); }
  static Drawing *OfSupplier(DRAWBOT_SupplierRef ref) { return Own(ref, &Drawing::supplier_ref_); }
  static Drawing *OfSurface(DRAWBOT_SurfaceRef ref) { return Own(ref, &Drawing::surface_ref_); }

  // Supplier: each new object is acquired in the current ledger under "<kind> #<n>", with the
  // published name of the operation that made it as its origin.
  DRAWBOT_PathRef NewPath();
  DRAWBOT_BrushRef NewBrush(const draw::Color &color);
  DRAWBOT_PenRef NewPen(const draw::Color &color, float width);
  DRAWBOT_FontRef NewDefaultFont(float size);
  /// One more hold on a live object; each hold needs its own release.
  static int32_t RetainObject(DRAWBOT_ObjectRef object);
  /// Gives a hold back; an unknown or released object is a ledger violation (and an error).
  static int32_t ReleaseObject(DRAWBOT_ObjectRef object);

  // Path.
  int32_t AddRect(DRAWBOT_PathRef path, const draw::Rect &rect);
  int32_t MoveTo(DRAWBOT_PathRef path, draw::Point point);
  int32_t LineTo(DRAWBOT_PathRef path, draw::Point point);
  int32_t Close(DRAWBOT_PathRef path);

  // Surface: each records one operation, or returns an error and records nothing.
  int32_t FillPath(DRAWBOT_BrushRef brush, DRAWBOT_PathRef path, int fill_type);
  int32_t StrokePath(DRAWBOT_PenRef pen, DRAWBOT_PathRef path);
  int32_t DrawString(DRAWBOT_BrushRef brush, DRAWBOT_FontRef font, const DRAWBOT_UTF16Char *text,
                     draw::Point origin, int alignment, int truncation, float truncation_width);
  int32_t PaintRect(const draw::Color &color, const draw::Rect &rect);
  int32_t PushState();
  /// Fails when nothing was pushed.
  int32_t PopState();
  int32_t Flush();

 private:
  enum class Kind { kDraw, kSupplier, kSurface, kPath, kBrush, kPen, kFont };
  struct Object {
    Kind kind;
    std::string key;
    int holds = 1;
    draw::Shape shape;
    draw::Color color;
    float size = 0;
  };

  template <class Ref>
  static Drawing *Own(Ref ref, Ref Drawing::*field) {
    Drawing *d = Owning(ref);
    return d && d->*field == ref ? d : nullptr;
  }
  uintptr_t Mint(Kind kind, std::string key);
  void *MakeObject(const char *op, Object object);
  /// A live object of the given kind, or null.
  Object *Find(const void *ref, Kind kind);

  PF_LRect frame_;
  DRAWBOT_DrawRef draw_ref_;
  DRAWBOT_SupplierRef supplier_ref_;
  DRAWBOT_SurfaceRef surface_ref_;
  std::map<uintptr_t, Object> objects_;
  int made_ = 0;
  int state_depth_ = 0;
  std::vector<draw::Operation> operations_;
};

/// The context a host builds for an event in the Effect Controls window. For a draw event it
/// names the event's drawing in `reserved_drawref`, which only the host reads.
PF_Context EffectWindowContext(const Drawing *drawing);

/// The drawing of an event's context, or null when the event has none.
Drawing *DrawingOfContext(PF_ContextH context);

}  // namespace huewarp::host
