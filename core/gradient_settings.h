// The gradient as the parameters hold it, and the one way it becomes ramps. Render, editor, tests
// and fuzzers decode their own sources into GradientSettings and hand it to BuildGradient, so the
// unit rules (positions are percent, colours are squared), the discrete rewrite and the
// smooth-wrap flags exist once.
#pragma once

#include <array>
#include <cstdint>

#include "AE_Effect.h"
#include "core/gradient.h"
#include "core/param_layout.h"
#include "core/pixel_mapping.h"

namespace huewarp {

/// One colour-stop slot: Color N and Position N.
struct StopSetting {
  /// In use and not hidden; other slots add no stop.
  bool shown = false;
  /// The colour as the host gives it in floating point (not squared).
  float red = 0, green = 0, blue = 0;
  /// Percent, 0..100.
  double position = 0;
};

/// One alpha-handle slot: Alpha N Position and Alpha N Value, both percent.
struct HandleSetting {
  bool shown = false;
  double position = 0;
  double value = 0;
};

/// Who the gradient is for. The editor's bar places stops at whole percents and decides the
/// smooth-wrap flags on the "Cycle Scale" double; the render keeps exact positions and decides on
/// the float it samples with.
enum class GradientUse : std::uint8_t { kRender, kEditor };

struct GradientSettings {
  GradientUse use = GradientUse::kRender;
  /// Indexed by slot number N; entry 0 is unused.
  std::array<StopSetting, kMaxSlots + 1> stops{};
  std::array<HandleSetting, kMaxSlots + 1> handles{};
  bool discrete = false;
  bool smoothWrap = false;
  double cycleScale = 1;
  /// "Input Range Offset", degrees in 16.16 fixed point.
  PF_Fixed offset = 0;
  /// "Values Over 1" as the caller keeps it (the render keeps the low 16 bits).
  std::int32_t valuesOver1 = kValuesOver1Bounce;
};

/// The ramps of the shown stops and handles, in slot order before sorting. Throws std::bad_alloc.
Gradient BuildGradient(const GradientSettings &settings);

/// Everything a rendered frame's pixels depend on, as pre-render reads the parameters.
struct FrameSettings {
  GradientSettings gradient;
  std::uint16_t inputRange = kInputMinRgb;
  bool flip = false;
  bool composite = false;
  /// "Blend With Original", percent.
  double blend = 0;
};

/// The per-frame record's mapping fields for `settings` (units and rounding of each parameter);
/// no ramps, no fast path, no output world yet. The one place these rules live, for pre-render,
/// tests, fuzzers and benchmarks alike.
PreRenderData MappingRecord(const FrameSettings &settings);

}  // namespace huewarp
