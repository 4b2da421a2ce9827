#include "host/ui/cairo_raster.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

namespace huewarp::host {
namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

void SetColor(cairo_t *cr, const draw::Color &c) {
  cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
}

void AddShape(cairo_t *cr, const draw::Shape &shape) {
  cairo_new_path(cr);
  for (const draw::Rect &r : shape.rects) cairo_rectangle(cr, r.left, r.top, r.width, r.height);
  for (const draw::Polygon &polygon : shape.polygons) {
    if (polygon.points.empty()) continue;
    cairo_move_to(cr, polygon.points.front().x, polygon.points.front().y);
    for (size_t i = 1; i < polygon.points.size(); ++i) {
      cairo_line_to(cr, polygon.points[i].x, polygon.points[i].y);
    }
    if (polygon.closed) cairo_close_path(cr);
  }
}

// Drops whole code points from the end until the text, with its ellipsis, fits the width. The
// path ellipsis is approximated by the end ellipsis: only file paths would tell them apart.
std::string Truncated(cairo_t *cr, const draw::Text &text) {
  if (text.truncation == kDRAWBOT_TextTruncation_None || text.truncation_width <= 0) {
    return text.utf8;
  }
  const std::string ellipsis = text.truncation == kDRAWBOT_TextTruncation_End ? "" : "\u2026";
  auto advance = [cr](const std::string &s) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    return extents.x_advance;
  };
  if (advance(text.utf8) <= text.truncation_width) return text.utf8;
  std::string kept = text.utf8;
  auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  while (!kept.empty()) {
    while (kept.size() > 1 && continuation(kept.back())) kept.pop_back();
    kept.pop_back();
    if (advance(kept + ellipsis) <= text.truncation_width) break;
  }
  return kept + ellipsis;
}

void DrawText(cairo_t *cr, const draw::Text &text) {
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, text.font_size);
  const std::string shown = Truncated(cr, text);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, shown.c_str(), &extents);
  double x = text.origin.x;
  if (text.alignment == kDRAWBOT_TextAlignment_Center) x -= extents.x_advance / 2;
  if (text.alignment == kDRAWBOT_TextAlignment_Right) x -= extents.x_advance;
  SetColor(cr, text.color);
  cairo_move_to(cr, x, text.origin.y);
  cairo_show_text(cr, shown.c_str());
}

void Replay(cairo_t *cr, const draw::Operation &operation) {
  std::visit(Overloaded{
                 [cr](const draw::Fill &op) {
                   AddShape(cr, op.shape);
                   cairo_set_fill_rule(cr, op.fill_type == kDRAWBOT_FillType_EvenOdd
                                               ? CAIRO_FILL_RULE_EVEN_ODD
                                               : CAIRO_FILL_RULE_WINDING);
                   SetColor(cr, op.color);
                   cairo_fill(cr);
                 },
                 [cr](const draw::Stroke &op) {
                   AddShape(cr, op.shape);
                   cairo_set_line_width(cr, op.width);
                   SetColor(cr, op.color);
                   cairo_stroke(cr);
                 },
                 [cr](const draw::Text &op) { DrawText(cr, op); },
                 [cr](const draw::PaintRect &op) {
                   cairo_new_path(cr);
                   cairo_rectangle(cr, op.rect.left, op.rect.top, op.rect.width, op.rect.height);
                   SetColor(cr, op.color);
                   cairo_fill(cr);
                 },
                 [cr](const draw::PushState &) { cairo_save(cr); },
                 [cr](const draw::PopState &) { cairo_restore(cr); },
                 [](const draw::Flush &) {},
             },
             operation);
}

}  // namespace

struct Raster::Surface {
  explicit Surface(cairo_surface_t *surface) : cairo(surface) {}
  ~Surface() { cairo_surface_destroy(cairo); }
  Surface(const Surface &) = delete;
  Surface &operator=(const Surface &) = delete;
  cairo_surface_t *cairo;
};

Raster::Raster(std::unique_ptr<Surface> surface) : surface_(std::move(surface)) {}

Raster Raster::Render(const Drawing &drawing, const RasterOptions &options) {
  const PF_LRect &frame = drawing.frame();
  const int scale = std::max(1, options.scale);
  const int width = std::max(0, frame.right - frame.left) * scale;
  const int height = std::max(0, frame.bottom - frame.top) * scale;
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t *cr = cairo_create(surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  SetColor(cr, options.background);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, -frame.left, -frame.top);
  for (const draw::Operation &operation : drawing.operations()) Replay(cr, operation);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return Raster(std::make_unique<Surface>(surface));
}

Raster Raster::ReadPng(const std::string &path) {
  cairo_surface_t *surface = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return Raster(nullptr);
  }
  return Raster(std::make_unique<Surface>(surface));
}

Raster::Raster(Raster &&) noexcept = default;
Raster &Raster::operator=(Raster &&) noexcept = default;
Raster::~Raster() = default;

int Raster::width() const { return surface_ ? cairo_image_surface_get_width(surface_->cairo) : 0; }

int Raster::height() const {
  return surface_ ? cairo_image_surface_get_height(surface_->cairo) : 0;
}

Rgba8 Raster::Pixel(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width() || y >= height()) return {};
  const unsigned char *row = cairo_image_surface_get_data(surface_->cairo) +
                             y * cairo_image_surface_get_stride(surface_->cairo);
  // Cairo keeps premultiplied ARGB in native-endian 32-bit words.
  const uint32_t word = reinterpret_cast<const uint32_t *>(row)[x];
  const bool opaque = cairo_image_surface_get_format(surface_->cairo) == CAIRO_FORMAT_RGB24;
  const uint32_t a = opaque ? 255 : word >> 24;
  if (a == 0) return {};
  auto straight = [a](uint32_t c) { return static_cast<uint8_t>((c * 255 + a / 2) / a); };
  return {straight((word >> 16) & 0xFF), straight((word >> 8) & 0xFF), straight(word & 0xFF),
          static_cast<uint8_t>(a)};
}

std::string Raster::WritePng(const std::string &path) const {
  if (!surface_) return "no image to write to " + path;
  const std::string temporary = path + ".tmp";
  const cairo_status_t status = cairo_surface_write_to_png(surface_->cairo, temporary.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    std::remove(temporary.c_str());
    return path + ": " + cairo_status_to_string(status);
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::remove(temporary.c_str());
    return path + ": " + error.message();
  }
  return {};
}

}  // namespace huewarp::host
