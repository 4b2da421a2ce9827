// Rendering through the host and the same pixels computed directly with the mapping core, so
// tests can require identical bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "AE_GeneralPlug.h"
#include "host/render/frame.h"
#include "host/instance/instance.h"
#include "host/render/world.h"
#include "params/arb_data.h"
#include "core/param_layout.h"
#include "core/gradient_settings.h"
#include "core/pixel_mapping.h"
#include "core/pre_render_data.h"

namespace huewarp::testing {

struct TestStop {
  double position;
  float red, green, blue;
};
struct TestHandle {
  double position;
  double value;
};

/// A parameter set: the mapping parameters and a gradient of up to 100 stops and handles.
struct Look {
  const char *name = "default";
  std::uint16_t input_range = kInputMinRgb;
  double offset_degrees = 0;
  bool flip = false;
  std::uint16_t values_over1 = kValuesOver1Bounce;
  double cycle_scale = 1;
  bool smooth_wrap = false;
  bool discrete = false;
  bool composite = false;
  double blend = 0;
  std::vector<TestStop> stops = {{0, 15 / 255.f, 42 / 255.f, 84 / 255.f},
                                 {25, 120 / 255.f, 60 / 255.f, 212 / 255.f},
                                 {50, 5 / 255.f, 230 / 255.f, 215 / 255.f},
                                 {75, 250 / 255.f, 147 / 255.f, 217 / 255.f},
                                 {100, 36 / 255.f, 96 / 255.f, 204 / 255.f}};
  std::vector<TestHandle> alphas = {{0, 100}, {25, 100}, {50, 100}, {75, 100}, {100, 100}};
};
inline void PrintTo(const Look &look, std::ostream *os) { *os << look.name; }

/// A heavy look: 37 stops at irregular places, 12 alpha handles, the gradient cycled 2.37 times.
inline Look Look37(const char *name, std::uint16_t range) {
  Look look{.name = name, .input_range = range, .cycle_scale = 2.37, .stops = {}, .alphas = {}};
  for (int n = 0; n < 37; ++n) {
    const double at = 100.0 * n / 36 + (n % 3 == 1 ? 1.1 : 0);
    look.stops.push_back({std::min(at, 100.0), (n * 37 % 101) / 100.0f, (n * 53 % 97) / 96.0f,
                          (n * 11 % 31) / 30.0f});
  }
  for (int n = 0; n < 12; ++n) look.alphas.push_back({100.0 * n / 11, 40.0 + (n * 29 % 61)});
  return look;
}

/// The look's "Input Range Offset" as the parameter holds it.
inline PF_Fixed OffsetOf(const Look &look) {
  return static_cast<PF_Fixed>(look.offset_degrees * 65536);
}

/// Sets the instance's parameters to the look; slots beyond its stops and handles are hidden.
inline void ApplyLook(host::Instance &instance, const Look &look) {
  using host::ParamValue;
  instance.SetValue(kInputRangeIndex, ParamValue::Int(look.input_range));
  instance.SetValue(kInputRangeOffsetIndex, ParamValue::Angle(OffsetOf(look)));
  instance.SetValue(kFlipInputRangeIndex, ParamValue::Int(look.flip));
  instance.SetValue(kValuesOver1Index, ParamValue::Int(look.values_over1));
  instance.SetValue(kCycleScaleIndex, ParamValue::Float(look.cycle_scale));
  instance.SetValue(kSmoothWrapIndex, ParamValue::Int(look.smooth_wrap));
  instance.SetValue(kDiscreteColorTransitionsIndex, ParamValue::Int(look.discrete));
  instance.SetValue(kCompositeOverOriginalIndex, ParamValue::Int(look.composite));
  instance.SetValue(kBlendWithOriginalIndex, ParamValue::Float(look.blend));
  // Five slots are in use by default; a longer list takes as many slots as it needs.
  const int slots =
      static_cast<int>(std::max<std::size_t>({5, look.stops.size(), look.alphas.size()}));
  if (slots > 5) {
    auto *record = static_cast<ArbData *>(
        instance.host().Handles().Data(instance.Records().Value(kArbDataIndex)));
    record->color_slots_used =
        static_cast<std::uint16_t>(std::max<std::size_t>(5, look.stops.size()));
    record->alpha_slots_used =
        static_cast<std::uint16_t>(std::max<std::size_t>(5, look.alphas.size()));
  }
  for (int n = 1; n <= slots; ++n) {
    const bool used = n <= static_cast<int>(look.stops.size());
    instance.SetDynamicStreamFlag(ColorSlotIndex(n), AEGP_DynStreamFlag_HIDDEN, !used);
    if (used) {
      const TestStop &s = look.stops[n - 1];
      instance.SetValue(ColorSlotIndex(n),
                        ParamValue::Color(PF_PixelFloat{1, s.red, s.green, s.blue}));
      instance.SetValue(PositionSlotIndex(n), ParamValue::Float(s.position));
    }
    const bool handle = n <= static_cast<int>(look.alphas.size());
    instance.SetDynamicStreamFlag(AlphaValueSlotIndex(n), AEGP_DynStreamFlag_HIDDEN, !handle);
    if (handle) {
      instance.SetValue(AlphaPositionSlotIndex(n), ParamValue::Float(look.alphas[n - 1].position));
      instance.SetValue(AlphaValueSlotIndex(n), ParamValue::Float(look.alphas[n - 1].value));
    }
  }
}

/// The look's gradient as ApplyLook leaves it in the parameters: its stops and handles in the
/// first slots.
inline GradientSettings GradientSettingsOf(const Look &look, GradientUse use) {
  GradientSettings settings{.use = use,
                            .discrete = look.discrete,
                            .smoothWrap = look.smooth_wrap,
                            .cycleScale = look.cycle_scale,
                            .offset = OffsetOf(look),
                            .valuesOver1 = look.values_over1};
  for (std::size_t i = 0; i < look.stops.size(); ++i) {
    const TestStop &s = look.stops[i];
    settings.stops[i + 1] = {true, s.red, s.green, s.blue, s.position};
  }
  for (std::size_t i = 0; i < look.alphas.size(); ++i) {
    settings.handles[i + 1] = {true, look.alphas[i].position, look.alphas[i].value};
  }
  return settings;
}

/// Everything pre-render reads for the look.
inline FrameSettings FrameSettingsOf(const Look &look) {
  return {.gradient = GradientSettingsOf(look, GradientUse::kRender),
          .inputRange = look.input_range,
          .flip = look.flip,
          .composite = look.composite,
          .blend = look.blend};
}

/// The frame record the look should produce, built with the core alone.
struct ExpectedRecord {
  explicit ExpectedRecord(const Look &look)
      : gradient(BuildGradient(FrameSettingsOf(look).gradient)),
        record(MappingRecord(FrameSettingsOf(look))) {
    record.alphaRamp = &gradient.alphaRamp;
    record.colorRamp = &gradient.colorRamp;
  }
  ExpectedRecord(const ExpectedRecord &) = delete;
  ExpectedRecord &operator=(const ExpectedRecord &) = delete;

  Gradient gradient;
  PreRenderData record;
};

/// A test picture: hues across, brightness down, varying alpha, some values out of range in float.
inline host::World TestPicture(int width, int height, host::Depth depth, int padding) {
  host::World world(width, height, depth, padding);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f) / width, v = (y + 0.5f) / height;
      PF_PixelFloat p{1.0f - 0.6f * ((x * 7 + y * 3) % 5) / 4.0f, u, v * (1 - u), (1 - v) * u * u};
      if (depth == host::Depth::k32 && x == 0) p.red = 1.5f + y;  // beyond 1, as float allows
      world.SetFloat(x, y, p);
    }
  }
  return world;
}

#if !defined(_WIN32)
/// Camera footage: a street scene of 795 frames of 768x576 from Debian's opencv-doc.
inline const char *const kStreetMovie = "/usr/share/doc/opencv-doc/examples/data/vtest.avi";

/// Frame `index` of a movie as 8-bit RGBA rows at `width` x `height`, decoded and scaled by the
/// ffmpeg program; empty where it cannot be read.
inline std::vector<std::uint8_t> MovieFrame(const std::string &path, int index, int width,
                                            int height) {
  const std::string command = "ffmpeg -v error -i '" + path + "' -vf 'select=eq(n\\," +
                              std::to_string(index) + "),scale=" + std::to_string(width) + ":" +
                              std::to_string(height) +
                              "' -frames:v 1 -f rawvideo -pix_fmt rgba - 2>/dev/null";
  std::vector<std::uint8_t> rgba;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return rgba;
  std::uint8_t buffer[1 << 16];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    rgba.insert(rgba.end(), buffer, buffer + n);
  }
  if (pclose(pipe) != 0 || rgba.size() != std::size_t{4} * width * height) rgba.clear();
  return rgba;
}
#endif

/// Maps every pixel of `input` with the core, as the effect must, into a world of the same shape.
inline host::World ExpectedFrame(const Look &look, const host::World &input) {
  ExpectedRecord expected(look);
  host::World out = input;
  const bool copy = std::abs(static_cast<double>(expected.record.blend) - 1.0) < 1e-3;
  for (int y = 0; y < input.height(); ++y) {
    for (int x = 0; x < input.width(); ++x) {
      switch (input.depth()) {
        case host::Depth::k8: {
          PF_Pixel in = input.Row<PF_Pixel>(y)[x];
          if (!copy) MapPixel8(&expected.record, x, y, &in, &out.Row<PF_Pixel>(y)[x]);
          break;
        }
        case host::Depth::k16: {
          PF_Pixel16 in = input.Row<PF_Pixel16>(y)[x];
          if (!copy) MapPixel16(&expected.record, x, y, &in, &out.Row<PF_Pixel16>(y)[x]);
          break;
        }
        case host::Depth::k32: {
          PF_PixelFloat in = input.Row<PF_PixelFloat>(y)[x];
          if (!copy) MapPixelFloat(&expected.record, x, y, &in, &out.Row<PF_PixelFloat>(y)[x]);
          break;
        }
      }
    }
  }
  return out;
}

}  // namespace huewarp::testing
