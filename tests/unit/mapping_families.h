// Gradients and mapping parameters that exercise every branch of the mapping, shared by the fast
// path tests and the exhaustive ones: offsets beyond a turn, every "Values Over 1" mode with and
// without flip and offset, composite over opaque and varying alpha, blend, smooth wrap, discrete
// steps, hard edges, one stop, no handles, 100 irregularly spaced stops.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "core/fast_path.h"
#include "core/gradient_settings.h"
#include "core/pixel_mapping.h"

namespace huewarp::testing {

struct Family {
  std::string name;
  std::vector<StopSetting> stops;
  std::vector<HandleSetting> handles;
  bool discrete = false, smoothWrap = false, composite = false, flip = false;
  float cycleScale = 1, blend = 0;
  std::uint16_t valuesOver1 = kValuesOver1Bounce;
  PF_Fixed degrees = 0;
};

inline FrameSettings SettingsOf(const Family &f, std::uint16_t inputRange) {
  FrameSettings settings{.gradient = {.discrete = f.discrete,
                                      .smoothWrap = f.smoothWrap,
                                      .cycleScale = f.cycleScale,
                                      .offset = f.degrees * 65536,
                                      .valuesOver1 = f.valuesOver1},
                         .inputRange = inputRange,
                         .flip = f.flip,
                         .composite = f.composite,
                         .blend = f.blend * 100.0};
  std::copy(f.stops.begin(), f.stops.end(), settings.gradient.stops.begin() + 1);
  std::copy(f.handles.begin(), f.handles.end(), settings.gradient.handles.begin() + 1);
  return settings;
}

/// A frame's record and ramps as pre-render builds them, with the fast path it would build for a
/// frame of UHD size.
struct Frame {
  Frame(const Family &f, std::uint16_t inputRange, int bitdepth, bool hardware)
      : gradient(BuildGradient(SettingsOf(f, inputRange).gradient)),
        data(MappingRecord(SettingsOf(f, inputRange))) {
    data.alphaRamp = &gradient.alphaRamp;
    data.colorRamp = &gradient.colorRamp;
    data.fastPath = NewFastPath(data, bitdepth, std::int64_t{3840} * 2160, hardware);
    map = SelectPixelFunctions(data);
  }
  ~Frame() { DeleteFastPath(data.fastPath); }
  Frame(const Frame &) = delete;
  Frame &operator=(const Frame &) = delete;

  Gradient gradient;
  PreRenderData data;
  PixelFunctions map{};
};

/// Random colours; evenly spaced, or at random positions with every fourth one on its
/// predecessor's position (a hard edge), in slot order.
inline std::vector<StopSetting> Stops(int count, std::uint32_t seed, bool irregular = false) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> unit(0, 1);
  std::vector<StopSetting> stops;
  for (int i = 0; i < count; ++i) {
    const float r = unit(rng), g = unit(rng), b = unit(rng);
    double position = count == 1 ? 50 : 100.0 * i / (count - 1);
    if (irregular) position = i % 4 == 3 ? stops.back().position : 100.0 * unit(rng);
    stops.push_back({true, r, g, b, position});
  }
  return stops;
}

inline const std::vector<StopSetting> kDefaultStops = {{true, 0.059f, 0.165f, 0.329f, 0},
                                                       {true, 0.471f, 0.235f, 0.831f, 25},
                                                       {true, 0.020f, 0.902f, 0.843f, 50},
                                                       {true, 0.980f, 0.576f, 0.855f, 75},
                                                       {true, 0.141f, 0.376f, 0.800f, 100}};
inline const std::vector<HandleSetting> kOpaque = {{true, 0, 100}, {true, 100, 100}};
inline const std::vector<HandleSetting> kVarying = {{true, 10, 0}, {true, 60, 80}, {true, 90, 30}};

/// Few members, each combining several of the cases, for checks that cost a frame per member.
inline std::vector<Family> CompactFamily() {
  return {
      {"ClampFlip725CompositeHardEdges", Stops(12, 6, true), kVarying, false, false, true, true, 1,
       0, kValuesOver1Clamp, 725},
      {"WrapMinus1000CompositeOpaqueHundred", Stops(100, 2, true), kOpaque, false, false, true,
       false, 1, 0, kValuesOver1Wrap, -1000},
      {"BounceFlip3617OneStopSmoothWrap", Stops(1, 7), kVarying, false, true, false, true, 2.37f, 0,
       kValuesOver1Bounce, 3617},
      {"ClampNoHandlesBlend",
       kDefaultStops,
       {},
       false,
       false,
       false,
       false,
       1,
       0.375f,
       kValuesOver1Clamp},
      {"WrapFlipDiscrete", Stops(7, 3), kVarying, true, false, false, true, 1, 0, kValuesOver1Wrap},
      {"BounceOpaque", kDefaultStops, kOpaque},
  };
}

/// Every case on its own, and each mode with and without flip and offset.
inline std::vector<Family> FullFamily() {
  std::vector<Family> families = CompactFamily();
  const std::vector<Family> more = {
      {"HundredStops", Stops(100, 2), kVarying},
      {"SmoothWrapHalf", kDefaultStops, kVarying, false, true, false, false, 0.5f},
      {"SmoothWrapTwo", kDefaultStops, kVarying, false, true, false, false, 2},
      {"SmoothWrapDiscreteThree", Stops(9, 4), kVarying, true, true, false, false, 3},
      {"CompositeBlendCycle", Stops(5, 5), kVarying, false, false, true, false, 2.5f, 0.5f,
       kValuesOver1Wrap, 45},
  };
  families.insert(families.end(), more.begin(), more.end());
  const char *modes[] = {"Clamp", "Wrap", "Bounce"};
  const PF_Fixed offsets[] = {725, -1000, 3617};
  for (std::uint16_t mode : {kValuesOver1Clamp, kValuesOver1Wrap, kValuesOver1Bounce}) {
    for (int flip = 0; flip < 2; ++flip) {
      const PF_Fixed degrees = offsets[(mode + flip) % 3];
      families.push_back({std::string(modes[mode - 1]) + (flip ? "Flip" : "") + "Offset",
                          Stops(6, mode), kVarying, false, true, false, flip != 0, 1.5f, 0, mode,
                          degrees});
    }
  }
  return families;
}

}  // namespace huewarp::testing
