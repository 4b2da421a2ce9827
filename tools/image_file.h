// Image files in and out of the effect's worlds, through OpenImageIO. The effect works on
// straight (unassociated) colour: files whose reader hands back premultiplied colour (EXR always,
// TIFF with associated alpha) are divided by alpha on the way in, and multiplied again on the way
// out to formats that store premultiplied colour. Channel scales: 8-bit 0..255; 16-bit files
// 0..65535 become the effect's 0..32768 and back, rounded to nearest; float as it is.
#pragma once

#include <cstdint>
#include <string>

#include <OpenImageIO/typedesc.h>

#include "host/render/world.h"
#include "tools/pending_file.h"

namespace huewarp::tool {

/// The effect's depth closest to a file's pixel type (8, 16 or 32-bit float).
host::Depth DepthOfFormat(const OIIO::TypeDesc &format);
/// The pixel type a file gets for a depth.
OIIO::TypeDesc FormatOfDepth(host::Depth depth);

struct ImageFile {
  host::World world{1, 1, host::Depth::k8};
  /// The file's own pixel type, which an output keeps unless a depth is asked for.
  OIIO::TypeDesc format;
  bool has_alpha = false;
};

/// Hosts hand over frames of at most this many pixels a side.
constexpr int kMaxFrameSide = 30000;
/// Images above this many pixels are refused unless asked for: 16384 x 16384, a 1 GiB frame at 8
/// bits and four times that in float.
constexpr std::int64_t kDefaultMaxPixels = std::int64_t{16384} * 16384;

/// Reads the first image of `path` into a world of `depth`, or of the file's own depth when
/// `depth` is 0. Grey images become grey RGB; images without alpha get alpha 1. A header that
/// claims more than `max_pixels` pixels, or more than a host frame takes, is refused before
/// anything is allocated. Throws ToolError "cannot read 'PATH': reason".
ImageFile ReadImage(const std::string &path, int depth,
                    std::int64_t max_pixels = kDefaultMaxPixels);

/// Fails now, before any work, when no writer knows the extension of `path`.
void CheckImageFormat(const std::string &path);

/// Writes `world` as `format` into the temporary file of `file`, in the format its destination's
/// name asks for; the caller commits. The alpha channel is written where the format has one.
/// Throws ToolError "cannot write 'PATH': reason".
void WriteImage(const host::World &world, PendingFile &file, const OIIO::TypeDesc &format);

}  // namespace huewarp::tool
