// The per-frame record: smart pre-render fills it, smart render and the pixel callbacks only read
// it, so the callbacks can run on many host threads at once without locks.
#pragma once

#include <cstdint>
#include <type_traits>

#include "AE_Effect.h"
#include "AE_EffectPixelFormat.h"

namespace huewarp {

struct ColorRamp;
struct AlphaRamp;
struct FastPath;

/// Pre-render allocates the record with malloc (one block, not zero-filled) and hands it to the
/// host, which frees it through the delete function; hence a trivial type with raw pointers. The
/// two ramps and the fast path are owned by the record: built in pre-render, destroyed at the end
/// of render.
struct PreRenderData {
  PF_EffectWorld *outputWorld;  ///< Set by render; the callbacks do not read it.
  PF_PixelFormat pixelFormat;   ///< The input world's format, set by render.
  ColorRamp *colorRamp;
  AlphaRamp *alphaRamp;
  bool smoothWrap;
  std::uint16_t inputRange;   ///< "Input Range" popup value, 1..19.
  std::uint16_t valuesOver1;  ///< "Values Over 1" popup value: 1 clamp, 2 wrap, 3 bounce.
  float offsetWrapped;        ///< The offset in turns folded into 0..1 (OffsetWrapped).
  float offsetTurns;          ///< The offset in turns, whole turns and sign kept (OffsetTurns).
  float cycleScale;
  bool flip;
  float blend;  ///< "Blend With Original" as a fraction 0..1.
  bool composite;
  FastPath *fastPath;  ///< Tables and indices for this frame; null when none could be built.
};

static_assert(std::is_trivial_v<PreRenderData>, "malloc'd without construction");

}  // namespace huewarp
