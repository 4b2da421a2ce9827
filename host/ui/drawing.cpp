#include "host/ui/drawing.h"

#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "host/core/command_context.h"

namespace huewarp::host {
namespace {

// Every ref handed out, with the drawing it belongs to. Values are minted from a counter and
// never dereferenced, so a ref is never reused and a stale one cannot alias a live object.
struct RefRegistry {
  std::mutex mutex;
  std::unordered_map<uintptr_t, Drawing *> owners;
  uintptr_t next = 0x10000;
};

RefRegistry &Registry() {
  static RefRegistry registry;
  return registry;
}

void AppendUtf8(std::string &out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

namespace draw {

std::string Utf16ToUtf8(const DRAWBOT_UTF16Char *text) {
  std::string out;
  if (!text) return out;
  for (const DRAWBOT_UTF16Char *p = text; *p; ++p) {
    uint32_t unit = *p;
    if (unit >= 0xD800 && unit < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (p[1] - 0xDC00));
      ++p;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::ostream &operator<<(std::ostream &os, const Color &c) {
  return os << "rgba(" << c.red << ", " << c.green << ", " << c.blue << ", " << c.alpha << ")";
}
std::ostream &operator<<(std::ostream &os, const Rect &r) {
  return os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}
std::ostream &operator<<(std::ostream &os, const Point &p) {
  return os << "(" << p.x << ", " << p.y << ")";
}

}  // namespace draw

Drawing::Drawing(const PF_LRect &frame) : frame_(frame) {
  draw_ref_ = reinterpret_cast<DRAWBOT_DrawRef>(Mint(Kind::kDraw, "draw reference"));
  supplier_ref_ = reinterpret_cast<DRAWBOT_SupplierRef>(Mint(Kind::kSupplier, "supplier"));
  surface_ref_ = reinterpret_cast<DRAWBOT_SurfaceRef>(Mint(Kind::kSurface, "surface"));
}

Drawing::~Drawing() {
  RefRegistry &registry = Registry();
  std::lock_guard lock(registry.mutex);
  for (const auto &[ref, object] : objects_) registry.owners.erase(ref);
}

uintptr_t Drawing::Mint(Kind kind, std::string key) {
  RefRegistry &registry = Registry();
  uintptr_t ref;
  {
    std::lock_guard lock(registry.mutex);
    ref = registry.next;
    registry.next += 16;
    registry.owners[ref] = this;
  }
  objects_[ref] = Object{.kind = kind, .key = std::move(key)};
  return ref;
}

Drawing *Drawing::Owning(const void *ref) {
  RefRegistry &registry = Registry();
  std::lock_guard lock(registry.mutex);
  auto it = registry.owners.find(reinterpret_cast<uintptr_t>(ref));
  return it == registry.owners.end() ? nullptr : it->second;
}

int Drawing::LiveObjects() const {
  int n = 0;
  for (const auto &[ref, object] : objects_) {
    const bool made = object.kind != Kind::kDraw && object.kind != Kind::kSupplier &&
                      object.kind != Kind::kSurface;
    n += made && object.holds > 0;
  }
  return n;
}

Drawing::Object *Drawing::Find(const void *ref, Kind kind) {
  auto it = objects_.find(reinterpret_cast<uintptr_t>(ref));
  if (it == objects_.end() || it->second.kind != kind || it->second.holds == 0) return nullptr;
  return &it->second;
}

void *Drawing::MakeObject(const char *op, Object object) {
  static constexpr const char *kNames[] = {"draw",  "supplier", "surface", "path",
                                           "brush", "pen",      "font"};
  std::string key =
      std::string(kNames[static_cast<int>(object.kind)]) + " #" + std::to_string(++made_);
  const Kind kind = object.kind;
  const uintptr_t ref = Mint(kind, key);
  Object &made = objects_[ref];
  object.key = key;
  made = std::move(object);
  CurrentLedger().Acquire(Resource::kDrawbotObject, key, op);
  return reinterpret_cast<void *>(ref);
}

DRAWBOT_PathRef Drawing::NewPath() {
  return static_cast<DRAWBOT_PathRef>(MakeObject("NewPath", {.kind = Kind::kPath}));
}

DRAWBOT_BrushRef Drawing::NewBrush(const draw::Color &color) {
  return static_cast<DRAWBOT_BrushRef>(
      MakeObject("NewBrush", {.kind = Kind::kBrush, .color = color}));
}

DRAWBOT_PenRef Drawing::NewPen(const draw::Color &color, float width) {
  return static_cast<DRAWBOT_PenRef>(
      MakeObject("NewPen", {.kind = Kind::kPen, .color = color, .size = width}));
}

DRAWBOT_FontRef Drawing::NewDefaultFont(float size) {
  return static_cast<DRAWBOT_FontRef>(
      MakeObject("NewDefaultFont", {.kind = Kind::kFont, .size = size}));
}

int32_t Drawing::RetainObject(DRAWBOT_ObjectRef object) {
  Drawing *d = Owning(object);
  if (!d) return kDrawbotBadRef;
  auto it = d->objects_.find(reinterpret_cast<uintptr_t>(object));
  Object &o = it->second;
  if (o.kind == Kind::kDraw || o.kind == Kind::kSupplier || o.kind == Kind::kSurface ||
      o.holds == 0) {
    return kDrawbotBadRef;
  }
  ++o.holds;
  CurrentLedger().Acquire(Resource::kDrawbotObject, o.key, "RetainObject");
  return 0;
}

int32_t Drawing::ReleaseObject(DRAWBOT_ObjectRef object) {
  Drawing *d = Owning(object);
  Object *o = nullptr;
  if (d) o = &d->objects_.find(reinterpret_cast<uintptr_t>(object))->second;
  if (!o) {
    char key[48];
    std::snprintf(key, sizeof key, "unknown object %p", static_cast<void *>(object));
    CurrentLedger().Release(Resource::kDrawbotObject, key, "ReleaseObject");
    return kDrawbotBadRef;
  }
  // Releasing the supplier, the surface or a released object is reported under its own name.
  CurrentLedger().Release(Resource::kDrawbotObject, o->key, "ReleaseObject");
  const bool made =
      o->kind != Kind::kDraw && o->kind != Kind::kSupplier && o->kind != Kind::kSurface;
  if (!made || o->holds == 0) return kDrawbotBadRef;
  --o->holds;
  return 0;
}

int32_t Drawing::AddRect(DRAWBOT_PathRef path, const draw::Rect &rect) {
  Object *p = Find(path, Kind::kPath);
  if (!p) return kDrawbotBadRef;
  p->shape.rects.push_back(rect);
  return 0;
}

int32_t Drawing::MoveTo(DRAWBOT_PathRef path, draw::Point point) {
  Object *p = Find(path, Kind::kPath);
  if (!p) return kDrawbotBadRef;
  p->shape.polygons.push_back({.points = {point}});
  return 0;
}

int32_t Drawing::LineTo(DRAWBOT_PathRef path, draw::Point point) {
  Object *p = Find(path, Kind::kPath);
  if (!p) return kDrawbotBadRef;
  auto &polygons = p->shape.polygons;
  if (polygons.empty()) {
    polygons.push_back({.points = {point}});
  } else if (polygons.back().closed) {
    // After a close the pen stands at the start of the closed subpath.
    const draw::Point start = polygons.back().points.front();
    polygons.push_back({.points = {start}});
  }
  polygons.back().points.push_back(point);
  return 0;
}

int32_t Drawing::Close(DRAWBOT_PathRef path) {
  Object *p = Find(path, Kind::kPath);
  if (!p) return kDrawbotBadRef;
  if (!p->shape.polygons.empty()) p->shape.polygons.back().closed = true;
  return 0;
}

int32_t Drawing::FillPath(DRAWBOT_BrushRef brush, DRAWBOT_PathRef path, int fill_type) {
  const Object *b = Find(brush, Kind::kBrush);
  const Object *p = Find(path, Kind::kPath);
  if (!b || !p) return kDrawbotBadRef;
  if (fill_type != kDRAWBOT_FillType_EvenOdd && fill_type != kDRAWBOT_FillType_Winding) {
    return kDrawbotBadRef;
  }
  operations_.push_back(draw::Fill{p->shape, b->color, fill_type});
  return 0;
}

int32_t Drawing::StrokePath(DRAWBOT_PenRef pen, DRAWBOT_PathRef path) {
  const Object *q = Find(pen, Kind::kPen);
  const Object *p = Find(path, Kind::kPath);
  if (!q || !p) return kDrawbotBadRef;
  operations_.push_back(draw::Stroke{p->shape, q->color, q->size});
  return 0;
}

int32_t Drawing::DrawString(DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                            const DRAWBOT_UTF16Char *text, draw::Point origin, int alignment,
                            int truncation, float truncation_width) {
  const Object *b = Find(brush, Kind::kBrush);
  const Object *f = Find(font, Kind::kFont);
  if (!b || !f || !text) return kDrawbotBadRef;
  operations_.push_back(draw::Text{draw::Utf16ToUtf8(text), origin, b->color, f->size, alignment,
                                   truncation, truncation_width});
  return 0;
}

int32_t Drawing::PaintRect(const draw::Color &color, const draw::Rect &rect) {
  operations_.push_back(draw::PaintRect{rect, color});
  return 0;
}

int32_t Drawing::PushState() {
  ++state_depth_;
  operations_.push_back(draw::PushState{});
  return 0;
}

int32_t Drawing::PopState() {
  if (state_depth_ == 0) return kDrawbotBadRef;
  --state_depth_;
  operations_.push_back(draw::PopState{});
  return 0;
}

int32_t Drawing::Flush() {
  operations_.push_back(draw::Flush{});
  return 0;
}

PF_Context EffectWindowContext(const Drawing *drawing) {
  PF_Context context{};
  context.magic = PF_CONTEXT_MAGIC;
  context.w_type = PF_Window_EFFECT;
  context.reserved_drawref = drawing ? drawing->ref() : nullptr;
  return context;
}

Drawing *DrawingOfContext(PF_ContextH context) {
  if (!context || !*context) return nullptr;
  return Drawing::OfDrawRef((*context)->reserved_drawref);
}

}  // namespace huewarp::host
