#include "host/render/world.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace huewarp::host {

int BytesPerPixel(Depth depth) {
  switch (depth) {
    case Depth::k8:
      return 4;
    case Depth::k16:
      return 8;
    case Depth::k32:
      return 16;
  }
  return 4;
}

namespace {

PF_PixelFormat FormatOf(Depth depth) {
  switch (depth) {
    case Depth::k8:
      return PF_PixelFormat_ARGB32;
    case Depth::k16:
      return PF_PixelFormat_ARGB64;
    case Depth::k32:
      return PF_PixelFormat_ARGB128;
  }
  return PF_PixelFormat_INVALID;
}

}  // namespace

World::World(int width, int height, Depth depth, int padding_bytes)
    : depth_(depth), format_(FormatOf(depth)) {
  world_.width = width;
  world_.height = height;
  // Rows stay aligned for the widest channel, as hosts lay them out, whatever padding is asked.
  world_.rowbytes = (width * BytesPerPixel(depth) + padding_bytes + 3) & ~3;
  bytes_.assign(static_cast<size_t>(world_.rowbytes) * std::max(height, 1), 0);
  world_.extent_hint = {0, 0, width, height};
  world_.pix_aspect_ratio = {1, 1};
  Bind();
}

World::World(const World &other)
    : depth_(other.depth_), format_(other.format_), bytes_(other.bytes_), world_(other.world_) {
  Bind();
}

World &World::operator=(const World &other) {
  depth_ = other.depth_;
  format_ = other.format_;
  bytes_ = other.bytes_;
  world_ = other.world_;
  Bind();
  return *this;
}

void World::Bind() {
  world_.data = reinterpret_cast<PF_PixelPtr>(bytes_.data());
  // The host keeps its own object in a reserved field, as hosts do.
  world_.reserved0 = this;
}

World *World::FromEffectWorld(const PF_EffectWorld *world) {
  return world ? static_cast<World *>(world->reserved0) : nullptr;
}

PF_PixelFloat World::GetFloat(int x, int y) const {
  switch (depth_) {
    case Depth::k8: {
      const PF_Pixel &p = Row<PF_Pixel>(y)[x];
      return {p.alpha / 255.0f, p.red / 255.0f, p.green / 255.0f, p.blue / 255.0f};
    }
    case Depth::k16: {
      const PF_Pixel16 &p = Row<PF_Pixel16>(y)[x];
      return {p.alpha / 32768.0f, p.red / 32768.0f, p.green / 32768.0f, p.blue / 32768.0f};
    }
    case Depth::k32:
      return Row<PF_PixelFloat>(y)[x];
  }
  return {};
}

void World::SetFloat(int x, int y, const PF_PixelFloat &p) {
  auto to8 = [](float v) {
    return static_cast<A_u_char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  auto to16 = [](float v) {
    return static_cast<A_u_short>(std::lround(std::clamp(v, 0.0f, 1.0f) * 32768.0f));
  };
  switch (depth_) {
    case Depth::k8:
      Row<PF_Pixel>(y)[x] = {to8(p.alpha), to8(p.red), to8(p.green), to8(p.blue)};
      break;
    case Depth::k16:
      Row<PF_Pixel16>(y)[x] = {to16(p.alpha), to16(p.red), to16(p.green), to16(p.blue)};
      break;
    case Depth::k32:
      Row<PF_PixelFloat>(y)[x] = p;
      break;
  }
}

bool World::SamePixels(const World &other) const {
  if (other.depth_ != depth_ || other.width() != width() || other.height() != height())
    return false;
  const size_t n = static_cast<size_t>(width()) * BytesPerPixel(depth_);
  for (int y = 0; y < height(); ++y) {
    if (std::memcmp(Row<std::uint8_t>(y), other.Row<std::uint8_t>(y), n) != 0) return false;
  }
  return true;
}

}  // namespace huewarp::host
