// Image buffers the host hands to the effect as PF_EffectWorld: 8, 16 or 32 bits per channel,
// ARGB, with row bytes that may exceed the width (padding), as hosts lay them out.
#pragma once

#include <cstdint>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectPixelFormat.h"

namespace huewarp::host {

enum class Depth { k8 = 8, k16 = 16, k32 = 32 };

class World {
 public:
  /// `padding_bytes` are added to every row, beyond the pixels, rounded up to keep rows aligned.
  World(int width, int height, Depth depth, int padding_bytes = 0);
  World(const World &other);
  World &operator=(const World &other);

  PF_EffectWorld *effect_world() { return &world_; }
  const PF_EffectWorld *effect_world() const { return &world_; }
  int width() const { return world_.width; }
  int height() const { return world_.height; }
  Depth depth() const { return depth_; }
  int row_bytes() const { return world_.rowbytes; }
  /// The format the world suite reports; a test may set one the effect does not know.
  PF_PixelFormat pixel_format() const { return format_; }
  void set_pixel_format(PF_PixelFormat format) { format_ = format; }

  template <class Pixel>
  Pixel *Row(int y) {
    return reinterpret_cast<Pixel *>(bytes_.data() + static_cast<size_t>(y) * world_.rowbytes);
  }
  template <class Pixel>
  const Pixel *Row(int y) const {
    return reinterpret_cast<const Pixel *>(bytes_.data() +
                                           static_cast<size_t>(y) * world_.rowbytes);
  }
  /// Pixel (x, y) as float ARGB, whatever the depth (8-bit / 255, 16-bit / 32768).
  PF_PixelFloat GetFloat(int x, int y) const;
  void SetFloat(int x, int y, const PF_PixelFloat &p);
  /// Every pixel byte compared, padding excluded.
  bool SamePixels(const World &other) const;

  /// The world behind an effect world the host made, or null.
  static World *FromEffectWorld(const PF_EffectWorld *world);

 private:
  void Bind();

  Depth depth_;
  PF_PixelFormat format_;
  std::vector<std::uint8_t> bytes_;
  PF_EffectWorld world_{};
};

/// Bytes per pixel of a depth (4, 8 or 16).
int BytesPerPixel(Depth depth);

}  // namespace huewarp::host
