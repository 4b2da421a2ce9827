// Pictures of a recorded drawing: the operations replayed with Cairo into an antialiased RGBA
// image of the drawing's frame, at a chosen scale over a chosen background, and written as PNG.
// Only the recording decides what is painted; this is for looking at it and for a few picture
// tests. Built where Cairo is found (HUEWARP_HAVE_CAIRO).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/ui/drawing.h"

namespace huewarp::host {

struct RasterOptions {
  /// Image pixels per panel pixel (1 or 2, as on standard and high-density screens).
  int scale = 1;
  /// What shows where nothing is painted: the host panel's grey.
  draw::Color background{0.16f, 0.16f, 0.16f, 1.0f};
};

/// An 8-bit pixel with straight (not premultiplied) alpha.
struct Rgba8 {
  uint8_t red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const Rgba8 &) const = default;
};

/// An image owned by Cairo; move-only.
class Raster {
 public:
  /// Replays the drawing over its frame: fills by their fill rule, strokes centred on the edges
  /// with the pen width, strings in the host's sans face at the font size.
  static Raster Render(const Drawing &drawing, const RasterOptions &options = {});
  /// Reads a PNG back (an empty raster when the file cannot be read).
  static Raster ReadPng(const std::string &path);

  Raster(Raster &&other) noexcept;
  Raster &operator=(Raster &&other) noexcept;
  Raster(const Raster &) = delete;
  Raster &operator=(const Raster &) = delete;
  ~Raster();

  int width() const;
  int height() const;
  /// The pixel at image coordinates (x, y); transparent black outside the image.
  Rgba8 Pixel(int x, int y) const;
  /// Writes a PNG through a temporary file renamed at the end, so a failure leaves no partial
  /// image. Returns an empty string on success, else what went wrong.
  std::string WritePng(const std::string &path) const;

 private:
  /// The Cairo image, whose type stays out of this header.
  struct Surface;
  explicit Raster(std::unique_ptr<Surface> surface);
  std::unique_ptr<Surface> surface_;
};

}  // namespace huewarp::host
