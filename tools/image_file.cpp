#include "tools/image_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/pixel_scale.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

using host::Depth;
using host::World;

/// Formats whose files hold premultiplied colour whatever the writer is told.
bool StoresPremultiplied(const std::string &format_name) { return format_name == "openexr"; }

A_u_char Quantize8(float v) {
  return static_cast<A_u_char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}
A_u_short Quantize16(float v) {
  return static_cast<A_u_short>(std::lround(std::clamp(v, 0.0f, 1.0f) * 32768.0f));
}

/// Replaces the temporary name in a library message by the destination's.
std::string Renamed(std::string text, const PendingFile &file) {
  for (std::size_t at; (at = text.find(file.temp_path())) != std::string::npos;) {
    text.replace(at, file.temp_path().size(), file.path());
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text.empty() ? "unknown error" : text;
}

std::string ReadFailure(const std::string &path, std::string why) {
  while (!why.empty() && why.back() == '\n') why.pop_back();
  return "cannot read " + Quoted(path) + ": " + (why.empty() ? "unknown error" : why);
}

/// Which file channels hold red, green, blue and alpha (-1: none).
struct ChannelMap {
  int red = 0, green = 0, blue = 0, alpha = -1;
};

ChannelMap MapChannels(const OIIO::ImageSpec &spec) {
  ChannelMap map;
  map.alpha = spec.alpha_channel < spec.nchannels ? spec.alpha_channel : -1;
  std::vector<int> colour;
  for (int c = 0; c < spec.nchannels; ++c) {
    if (c != map.alpha) colour.push_back(c);
  }
  if (colour.empty()) colour.push_back(0);
  map.red = colour[0];
  map.green = colour.size() >= 3 ? colour[1] : colour[0];
  map.blue = colour.size() >= 3 ? colour[2] : colour[0];
  return map;
}

/// Pixels read in the file's channel order as T, moved into the world's ARGB pixels.
template <class T, class Pixel, class Convert>
void Fill(const std::vector<T> &data, int channels, const ChannelMap &map, T opaque,
          Convert convert, World &world) {
  for (int y = 0; y < world.height(); ++y) {
    Pixel *row = world.Row<Pixel>(y);
    for (int x = 0; x < world.width(); ++x) {
      const T *p = data.data() + (static_cast<std::size_t>(y) * world.width() + x) * channels;
      row[x].alpha = convert(map.alpha >= 0 ? p[map.alpha] : opaque);
      row[x].red = convert(p[map.red]);
      row[x].green = convert(p[map.green]);
      row[x].blue = convert(p[map.blue]);
    }
  }
}

}  // namespace

Depth DepthOfFormat(const OIIO::TypeDesc &format) {
  if (format.basetype == OIIO::TypeDesc::UINT8 || format.basetype == OIIO::TypeDesc::INT8) {
    return Depth::k8;
  }
  if (format.basetype == OIIO::TypeDesc::UINT16 || format.basetype == OIIO::TypeDesc::INT16) {
    return Depth::k16;
  }
  return Depth::k32;
}

OIIO::TypeDesc FormatOfDepth(Depth depth) {
  switch (depth) {
    case Depth::k8:
      return OIIO::TypeDesc::UINT8;
    case Depth::k16:
      return OIIO::TypeDesc::UINT16;
    case Depth::k32:
      break;
  }
  return OIIO::TypeDesc::FLOAT;
}

ImageFile ReadImage(const std::string &path, int depth, std::int64_t max_pixels) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) throw ToolError(ReadFailure(path, std::strerror(errno)));
  if (S_ISDIR(info.st_mode)) throw ToolError(ReadFailure(path, "it is a folder"));

  // Asks readers of formats that store straight colour to hand it back as it is.
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path, &config);
  if (!in) throw ToolError(ReadFailure(path, OIIO::geterror()));
  const OIIO::ImageSpec spec = in->spec();
  if (spec.deep || spec.width <= 0 || spec.height <= 0 || spec.depth > 1) {
    throw ToolError(ReadFailure(path, "not a flat 2D image"));
  }
  // The header alone is trusted this far: refuse before anything of that size is allocated.
  const std::int64_t pixels = std::int64_t{spec.width} * spec.height;
  const std::string size = std::to_string(spec.width) + " x " + std::to_string(spec.height);
  if (pixels > max_pixels) {
    throw ToolError(ReadFailure(path, size + " pixels is more than the limit of " +
                                          std::to_string(max_pixels) +
                                          " (raise it with --max-pixels)"));
  }
  if (spec.width > kMaxFrameSide || spec.height > kMaxFrameSide) {
    throw ToolError(ReadFailure(path, size + " pixels is larger than a host frame (" +
                                          std::to_string(kMaxFrameSide) + " a side)"));
  }
  const ChannelMap map = MapChannels(spec);
  const bool premultiplied =
      map.alpha >= 0 && spec.get_int_attribute("oiio:UnassociatedAlpha", 0) == 0;

  ImageFile image;
  image.format = spec.format;
  image.has_alpha = map.alpha >= 0;
  const Depth target = depth ? static_cast<Depth>(depth) : DepthOfFormat(spec.format);
  image.world = World(spec.width, spec.height, target);
  const std::size_t values = static_cast<std::size_t>(spec.width) * spec.height * spec.nchannels;
  const int channels = spec.nchannels;

  auto read = [&](const OIIO::TypeDesc &type, void *data) {
    if (!in->read_image(0, 0, 0, channels, type, data)) {
      throw ToolError(ReadFailure(path, in->geterror()));
    }
  };
  if (premultiplied || target == Depth::k32) {
    std::vector<float> data(values);
    read(OIIO::TypeDesc::FLOAT, data.data());
    if (premultiplied) {
      for (std::size_t p = 0; p < values; p += channels) {
        const float a = data[p + map.alpha];
        if (a == 0.0f) continue;  // no colour to recover
        for (int c = 0; c < channels; ++c) {
          if (c != map.alpha) data[p + c] /= a;
        }
      }
    }
    switch (target) {
      case Depth::k8:
        Fill<float, PF_Pixel>(data, channels, map, 1.0f, Quantize8, image.world);
        break;
      case Depth::k16:
        Fill<float, PF_Pixel16>(data, channels, map, 1.0f, Quantize16, image.world);
        break;
      case Depth::k32:
        Fill<float, PF_PixelFloat>(
            data, channels, map, 1.0f, [](float v) { return v; }, image.world);
        break;
    }
  } else if (target == Depth::k16) {
    std::vector<std::uint16_t> data(values);
    read(OIIO::TypeDesc::UINT16, data.data());
    Fill<std::uint16_t, PF_Pixel16>(data, channels, map, 65535, FromFile16, image.world);
  } else {
    std::vector<std::uint8_t> data(values);
    read(OIIO::TypeDesc::UINT8, data.data());
    Fill<std::uint8_t, PF_Pixel>(
        data, channels, map, 255, [](std::uint8_t v) { return v; }, image.world);
  }
  return image;
}

void CheckImageFormat(const std::string &path) {
  if (!OIIO::ImageOutput::create(path)) {
    throw ToolError("cannot write " + Quoted(path) + ": no image format for its extension");
  }
}

void WriteImage(const World &world, PendingFile &file, const OIIO::TypeDesc &format) {
  auto out = OIIO::ImageOutput::create(file.path());
  if (!out) {
    throw ToolError("cannot write " + Quoted(file.path()) + ": no image format for its extension");
  }
  const bool alpha = out->supports("alpha");
  const int channels = alpha ? 4 : 3;
  const bool premultiply = alpha && StoresPremultiplied(out->format_name());
  OIIO::ImageSpec spec(world.width(), world.height(), channels, format);
  spec.alpha_channel = alpha ? 3 : -1;
  if (alpha && !premultiply) spec.attribute("oiio:UnassociatedAlpha", 1);
  // Writers fall back to 8 bits for a type they lack; these hold 16 but no float.
  if (format.basetype == OIIO::TypeDesc::FLOAT || format.basetype == OIIO::TypeDesc::HALF) {
    const std::string name = out->format_name();
    if (name == "png" || name == "pnm" || name == "jpeg2000") {
      spec.set_format(OIIO::TypeDesc::UINT16);
    }
  }
  if (!file.Opening([&](const std::string &temp) { return out->open(temp, spec); })) {
    throw ToolError("cannot write " + Quoted(file.path()) + ": " + Renamed(out->geterror(), file));
  }

  const std::size_t count = static_cast<std::size_t>(world.width()) * world.height();
  std::vector<std::uint8_t> data8;
  std::vector<std::uint16_t> data16;
  std::vector<float> data32;
  const void *data = nullptr;
  OIIO::TypeDesc type;
  auto put = [&](auto &buffer, std::size_t i, auto a, auto r, auto g, auto b) {
    buffer[i * channels + 0] = r;
    buffer[i * channels + 1] = g;
    buffer[i * channels + 2] = b;
    if (alpha) buffer[i * channels + 3] = a;
  };
  if (world.depth() == Depth::k32 || premultiply) {
    data32.resize(count * channels);
    for (int y = 0; y < world.height(); ++y) {
      for (int x = 0; x < world.width(); ++x) {
        const PF_PixelFloat p = world.GetFloat(x, y);
        const float m = premultiply ? p.alpha : 1.0f;
        put(data32, static_cast<std::size_t>(y) * world.width() + x, p.alpha, p.red * m,
            p.green * m, p.blue * m);
      }
    }
    data = data32.data();
    type = OIIO::TypeDesc::FLOAT;
  } else if (world.depth() == Depth::k16) {
    data16.resize(count * channels);
    for (int y = 0; y < world.height(); ++y) {
      const PF_Pixel16 *row = world.Row<PF_Pixel16>(y);
      for (int x = 0; x < world.width(); ++x) {
        put(data16, static_cast<std::size_t>(y) * world.width() + x, ToFile16(row[x].alpha),
            ToFile16(row[x].red), ToFile16(row[x].green), ToFile16(row[x].blue));
      }
    }
    data = data16.data();
    type = OIIO::TypeDesc::UINT16;
  } else {
    data8.resize(count * channels);
    for (int y = 0; y < world.height(); ++y) {
      const PF_Pixel *row = world.Row<PF_Pixel>(y);
      for (int x = 0; x < world.width(); ++x) {
        put(data8, static_cast<std::size_t>(y) * world.width() + x, row[x].alpha, row[x].red,
            row[x].green, row[x].blue);
      }
    }
    data = data8.data();
    type = OIIO::TypeDesc::UINT8;
  }
  if (!out->write_image(type, data) || !out->close()) {
    throw ToolError("cannot write " + Quoted(file.path()) + ": " + Renamed(out->geterror(), file));
  }
}

}  // namespace huewarp::tool
