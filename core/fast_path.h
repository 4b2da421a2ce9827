// A frame's fast paths: what pre-render builds once so that each pixel costs little, with every
// output bit equal to the reference callbacks (MapPixel8, MapPixel16, MapPixelFloat).
//
// - 8 and 16 bits, input ranges that read one channel (red, green, blue, alpha, black, min and max
//   RGB): the lookup per input level (256 or 32769 levels), computed by the reference functions
//   themselves. Without composite and blend the table holds the finished output channels.
// - Everything else: an index per sorted list of the gradient, so the bracket is found in one or
//   two steps instead of a binary search, and the processor's fused multiply-add where it has one.
//
// The FastPath belongs to the frame's record and is freed with it; the callbacks only read it, on
// any number of threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "core/pre_render_data.h"

namespace huewarp {

struct FastPath;

/// Builds what pays for a frame of `pixels` output pixels at `bitdepth` (8, 16 or 32) from the
/// record's parameters and ramps. Null when memory runs out: the frame then renders through the
/// slower callbacks with the same bits. Never throws.
FastPath *NewFastPath(const PreRenderData &data, int bitdepth, std::int64_t pixels,
                      bool hardwareFma) noexcept;

void DeleteFastPath(FastPath *fast) noexcept;

/// Bytes of tables and indices a fast path holds (its object included).
std::size_t FastPathBytes(const FastPath *fast);

/// Whether a level table was built for `bitdepth`.
bool HasLevelTable(const FastPath *fast, int bitdepth);

/// The processor executes fused multiply-add instructions (checked once, at run time).
bool HasHardwareFma();

struct PixelFunctions {
  PF_IteratePixel8Func map8;
  PF_IteratePixel16Func map16;
  PF_IteratePixelFloatFunc mapFloat;
};

/// The iterate callbacks for the frame whose record is `data` (refcon is the record). They use its
/// fast path where it has one for the depth, and the indexed sampling otherwise.
PixelFunctions SelectPixelFunctions(const PreRenderData &data);

}  // namespace huewarp
