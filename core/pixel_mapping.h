// The per-pixel colour mapping: input value, offset, "Values Over 1", clamp and flip, gradient
// lookup, composite and blend, and the host's iterate callbacks at 8, 16 and 32 bits around it.
//
// Everything here is pure: the callbacks read only their PreRenderData and its ramps and write only
// their own output pixel; they allocate nothing, take no lock and call nothing of the host, so the
// host may run them on many threads at once. Colours are straight (never multiplied by alpha);
// float pixels are taken as they come, values outside 0..1 included.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "core/pre_render_data.h"

namespace huewarp {

/// "Input Range" popup values; 4, 9, 14 and 17 are separators and give an input value of 0.
enum InputRangeValue : std::uint16_t {
  kInputIntensity = 1,
  kInputHue = 2,
  kInputSaturation = 3,
  kInputRed = 5,
  kInputGreen = 6,
  kInputBlue = 7,
  kInputAlpha = 8,
  kInputCyan = 10,
  kInputMagenta = 11,
  kInputYellow = 12,
  kInputBlack = 13,
  kInputMinRgb = 15,
  kInputMaxRgb = 16,
  kInputMinCmyk = 18,
  kInputMaxCmyk = 19,
};

/// "Values Over 1" popup values; any other value adds no offset and only clamps.
enum ValuesOver1Value : std::uint16_t {
  kValuesOver1Clamp = 1,
  kValuesOver1Wrap = 2,
  kValuesOver1Bounce = 3,
};

/// The value that "Input Range" picks from a pixel; 0 for separators and unknown values.
float InputValue(std::uint16_t inputRange, const PF_PixelFloat &pixel);

/// Hue in 0..1 (red 0, green 1/3, blue 2/3); 0 for greys.
float HueOf(float red, float green, float blue);

/// Lightness-based saturation in 0..1; 0 for greys.
float SaturationOf(float red, float green, float blue);

/// The "Input Range Offset" angle (16.16 degrees) in turns, whole turns and sign kept: 720 -> 2.
float OffsetTurns(PF_Fixed degrees);

/// The same angle folded into 0..1: -90 -> 0.75, 720 -> 0.
float OffsetWrapped(PF_Fixed degrees);

/// The gradient position for input value v: offset, "Values Over 1", clamp to 0..1, flip.
/// Bounce is the triangle wave of period 2, computed in bounded time for any float. Non-finite
/// values: NaN clamps to 0, Bounce maps both infinities to 0, Wrap maps +inf to 0 (its remainder
/// is NaN), and the other modes clamp +inf to 1 and -inf to 0; flip applies afterwards.
float GradientPosition(const PreRenderData &data, float v);

/// The host's iterate callbacks (refcon is the frame's PreRenderData); each returns 0 and writes
/// the whole output pixel, which may be the input pixel itself. 16-bit channels are read as
/// value * 2^-15 and 8-bit ones as value * 0.003921569f; results are written back rounded half away
/// from zero and clamped to the channel's range (NaN gives 0).
PF_Err MapPixelFloat(void *refcon, A_long x, A_long y, PF_PixelFloat *in, PF_PixelFloat *out);
PF_Err MapPixel16(void *refcon, A_long x, A_long y, PF_Pixel16 *in, PF_Pixel16 *out);
PF_Err MapPixel8(void *refcon, A_long x, A_long y, PF_Pixel8 *in, PF_Pixel8 *out);

}  // namespace huewarp
