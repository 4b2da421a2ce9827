// A frame's fast paths: what pre-render builds once so that each pixel costs little, with every
// output bit equal to the reference callbacks (MapPixel8, MapPixel16, MapPixelFloat).
//
// Pre-render decides one FastMode per frame. At 8 and 16 bits an input range whose value depends
// on few levels of a pixel gets a table keyed by those levels (ReadsOf says which), each entry
// computed by the reference functions themselves: one level (red, green, blue, alpha, black, min
// and max RGB), none (Min CMYK and the separators, 0 for every pixel in range), or at 8 bits a pair
// (cyan, magenta, yellow: the channel and the maximum; Max CMYK: the minimum and the maximum).
// Ranges that read all three colours (intensity, hue, saturation) get at 8 bits, without composite
// and blend, the output colour per narrow bucket of input values wherever it is proven the same
// for the whole bucket. Otherwise each pixel is sampled with an index per sorted list of the
// gradient and the processor's fused multiply-add where it has one.
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

/// What an input range reads of a pixel, as far as a table can be keyed by it.
enum class Reads : std::uint8_t {
  kNothing,  ///< 0 for every pixel whose channels are in 0..1
  kAlpha,
  kRed,
  kGreen,
  kBlue,
  kMin,  ///< the smallest of red, green and blue
  kMax,  ///< the largest of them
  kRedAndMax,
  kGreenAndMax,
  kBlueAndMax,
  kMinAndMax,
  kAll,  ///< all three colours at once: no table
};

/// The one table of what each input range reads; separators and unknown values read nothing.
Reads ReadsOf(std::uint16_t inputRange);

/// How a frame's pixels are mapped at its depth, decided once in pre-render.
enum class FastMode : std::uint8_t {
  kReference,    ///< the reference callbacks: parameters that carry NaNs, or no fast path
  kSampling,     ///< per pixel, with list indices and the processor's fused multiply-add
  kTableOutput,  ///< a table of finished output pixels (no composite, no blend)
  kTableLooked,  ///< a table of looked-up colours and alphas, finished per pixel
  /// 8 bits, ranges that read all three colours, no composite or blend: the output colour per
  /// bucket of input values where it is proven constant; the other pixels are sampled.
  kValueBuckets,
};

/// Builds what pays for a frame of `pixels` output pixels at `bitdepth` (8, 16 or 32) from the
/// record's parameters and ramps. Throws std::bad_alloc; the frame then renders through the
/// reference callbacks with the same bits.
FastPath *NewFastPath(const PreRenderData &data, int bitdepth, std::int64_t pixels,
                      bool hardwareFma);

void DeleteFastPath(FastPath *fast) noexcept;

/// Bytes of tables and indices a fast path holds (its object included).
std::size_t FastPathBytes(const FastPath *fast);

/// The mode of the frame whose record is `data` at `bitdepth`.
FastMode ModeOf(const PreRenderData &data, int bitdepth);

/// The processor executes fused multiply-add instructions (checked once, at run time).
bool HasHardwareFma();

struct PixelFunctions {
  PF_IteratePixel8Func map8;
  PF_IteratePixel16Func map16;
  PF_IteratePixelFloatFunc mapFloat;
};

/// The iterate callbacks for the frame whose record is `data` (refcon is the record): its mode at
/// the depth its fast path was built for, sampling at the others.
PixelFunctions SelectPixelFunctions(const PreRenderData &data);

}  // namespace huewarp
