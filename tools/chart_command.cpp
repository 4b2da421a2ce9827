// huewarp chart: a generated test image that exercises every input range, so a demonstration
// needs no picture of its own. Bands from the top: hue sweep, hue against value, grey ramp,
// saturation ramps, alpha ramps, colour patches.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/commands.h"
#include "tools/image_file.h"
#include "tools/pending_file.h"

namespace huewarp::tool {
namespace {

struct Rgba {
  float red, green, blue, alpha;
};

/// Hue in turns (0..1), saturation and value 0..1.
Rgba Hsv(float hue, float saturation, float value) {
  const float h = (hue - std::floor(hue)) * 6.0f;
  const int sector = std::min(static_cast<int>(h), 5);
  const float f = h - sector;
  const float p = value * (1 - saturation), q = value * (1 - saturation * f),
              t = value * (1 - saturation * (1 - f));
  switch (sector) {
    case 0:
      return {value, t, p, 1};
    case 1:
      return {q, value, p, 1};
    case 2:
      return {p, value, t, 1};
    case 3:
      return {p, q, value, 1};
    case 4:
      return {t, p, value, 1};
    default:
      return {value, p, q, 1};
  }
}

Rgba Hex(unsigned rgb) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, 1};
}

/// Pure colours, greys and a few natural tones.
constexpr unsigned kPatches[] = {0x000000, 0x404040, 0x808080, 0xc0c0c0, 0xffffff, 0xff0000,
                                 0x00ff00, 0x0000ff, 0x00ffff, 0xff00ff, 0xffff00, 0xc68642,
                                 0x87ceeb, 0x4a7c2e, 0x7b3f98, 0xf4a460};

/// The chart's colour at (u, v) in 0..1 of its width and height.
Rgba ChartColor(float u, float v) {
  if (v < 0.18f) return Hsv(u, 1, 1);
  if (v < 0.36f) return Hsv(u, 1, 1 - (v - 0.18f) / 0.18f);
  if (v < 0.48f) return {u, u, u, 1};
  if (v < 0.55f) return Hsv(200 / 360.0f, u, 1);
  if (v < 0.62f) return Hsv(20 / 360.0f, u, 0.9f);
  if (v < 0.70f) return {0.88f, 0.44f, 0.13f, u};
  if (v < 0.78f) {
    Rgba c = Hsv(u, 0.8f, 1);
    c.alpha = 1 - u;
    return c;
  }
  constexpr int kCount = sizeof kPatches / sizeof kPatches[0];
  const int column = std::min(static_cast<int>(u * kCount / 2), kCount / 2 - 1);
  const int row = v < 0.89f ? 0 : 1;
  return Hex(kPatches[row * kCount / 2 + column]);
}

host::World Chart(int width, int height, host::Depth depth) {
  host::World world(width, height, depth);
  auto q8 = [](float v) { return static_cast<A_u_char>(std::lround(v * 255.0f)); };
  auto q16 = [](float v) { return static_cast<A_u_short>(std::lround(v * 32768.0f)); };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgba c = ChartColor((x + 0.5f) / width, (y + 0.5f) / height);
      switch (depth) {
        case host::Depth::k8:
          world.Row<PF_Pixel>(y)[x] = {q8(c.alpha), q8(c.red), q8(c.green), q8(c.blue)};
          break;
        case host::Depth::k16:
          world.Row<PF_Pixel16>(y)[x] = {q16(c.alpha), q16(c.red), q16(c.green), q16(c.blue)};
          break;
        case host::Depth::k32:
          world.Row<PF_PixelFloat>(y)[x] = {c.alpha, c.red, c.green, c.blue};
          break;
      }
    }
  }
  return world;
}

}  // namespace

int RunChart(const CommandLine &options) {
  const std::string &path = options.files[0];
  CheckImageFormat(path);
  PendingFile file(path);
  const host::Depth depth =
      options.depth ? static_cast<host::Depth>(options.depth) : host::Depth::k8;
  WriteImage(Chart(options.chart_width, options.chart_height, depth), file, FormatOfDepth(depth));
  file.Commit();
  return 0;
}

}  // namespace huewarp::tool
