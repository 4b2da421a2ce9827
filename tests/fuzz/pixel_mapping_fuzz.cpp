// Fuzz target fuzz_pixel_mapping: the per-pixel mapping at 32, 16 and 8 bits with arbitrary
// pixels and parameters, over ramps of 0..8 stops and handles built by BuildGradient from the
// settings pre-render would read.
//
// On every pixel each callback must return 0 and map a pixel in place exactly as it maps it into
// another pixel, and 16-bit channels must stay within 0..32768 (8-bit ones cannot leave 0..255).
// With parameters a host can deliver (colours in 0..1, alphas 0..100 percent, finite positions,
// cycle scale 0.01..20, blend 0..1) the float result must also be NaN-free for finite pixels and
// lie in 0..1 for pixels in 0..1. Finite means below 2^60 here: beyond that a product of two
// channels overflows and inf - inf is plain IEEE arithmetic, not a fault of the mapping.
//
// The frame's fast paths (level tables when switch bit 7 asks for a large frame, list indices, the
// processor's fused multiply-add and the software one) must give the reference callbacks' bits on
// every pixel, NaN payloads included.
//
// The mapping has no loop whose count could be watched (Bounce reduces modulo 2 in one step, the
// lookup is a binary search), so a hang shows as libFuzzer's -timeout.
//
// Input: u16 input range, u16 values over 1, u8 switches, the offset, cycle scale and blend, u8
// stop and handle counts, the stops and handles, then pixels (four floats, four u16, four u8)
// until the input ends.
#include <cmath>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "core/fast_path.h"
#include "core/gradient_settings.h"
#include "core/pixel_mapping.h"

namespace huewarp::fuzz {
namespace {

constexpr int kMaxEntries = 8;
constexpr int kMaxPixels = 16;
constexpr float kModerate = 0x1p60f;

enum Switch : std::uint8_t {
  kFlip = 1 << 0,
  kComposite = 1 << 1,
  kSmoothWrap = 1 << 2,
  kDiscrete = 1 << 3,
  kOffsetAsAngle = 1 << 4,     // else the two offset fields as raw floats
  kCycleScaleSlider = 1 << 5,  // else any float
  kBlendSlider = 1 << 6,       // else any float
  kLargeFrame = 1 << 7,        // fast paths built for a frame big enough for level tables
};

/// A slider value from 16 bits spread over [low, high], as a host delivers it (a double).
double Slider(std::uint16_t raw, double low, double high) {
  return low + (high - low) * raw / 65535.0;
}

/// A percentage parameter (position, alpha value) from the slider's range or any float.
double Percent(FuzzInput &in, bool slider) {
  return slider ? Slider(in.Take<std::uint16_t>(), 0, 100) : in.Take<float>();
}

/// "Blend With Original" as pre-render scales it.
float Fraction(FuzzInput &in) { return static_cast<float>(Percent(in, true) * 0.01); }

/// One colour component: in 0..1 from 16 bits, or any float.
float Component(FuzzInput &in, bool in_range) {
  return in_range ? static_cast<float>(in.Take<std::uint16_t>() / 65535.0) : in.Take<float>();
}

bool Within(float v, float low, float high) { return v >= low && v <= high; }
bool Moderate(float v) { return std::fabs(v) < kModerate; }

/// Fills the first slots of `g` with stops and handles; false unless every colour component is
/// in 0..1, every alpha in 0..100 percent and every position finite.
bool TakeGradient(FuzzInput &in, GradientSettings &g) {
  bool deliverable = true;
  const int stop_count = in.Take<std::uint8_t>() % (kMaxEntries + 1);
  const int handle_count = in.Take<std::uint8_t>() % (kMaxEntries + 1);
  for (int n = 1; n <= stop_count; ++n) {
    const auto kind = in.Take<std::uint8_t>();
    StopSetting &stop = g.stops[n];
    stop.shown = true;
    stop.position = Percent(in, kind & 1);
    for (float *c : {&stop.red, &stop.green, &stop.blue}) {
      *c = Component(in, kind & 2);
      deliverable = deliverable && Within(*c, 0, 1);
    }
    deliverable = deliverable && Moderate(static_cast<float>(stop.position));
  }
  for (int n = 1; n <= handle_count; ++n) {
    const auto kind = in.Take<std::uint8_t>();
    HandleSetting &handle = g.handles[n];
    handle.shown = true;
    handle.position = Percent(in, kind & 1);
    handle.value = Percent(in, kind & 2);
    deliverable = deliverable && Moderate(static_cast<float>(handle.position)) &&
                  handle.value >= 0 && handle.value <= 100;
  }
  return deliverable;
}

template <class Pixel>
bool SameBits(const Pixel &a, const Pixel &b) {
  return std::memcmp(&a, &b, sizeof(Pixel)) == 0;
}

/// Maps `in` into another pixel and in place; both must agree bit for bit.
template <class Pixel, class Callback>
Pixel Map(Callback callback, PreRenderData &data, Pixel in) {
  Pixel out{};
  Require(callback(&data, 0, 0, &in, &out) == PF_Err_NONE, "a callback returned an error");
  Pixel in_place = in;
  callback(&data, 0, 0, &in_place, &in_place);
  Require(SameBits(out, in_place), "mapping in place differs from mapping into another pixel");
  return out;
}

void CheckFloat(const PF_PixelFloat &in, const PF_PixelFloat &out, bool deliverable) {
  if (!deliverable) return;
  const float in_channels[] = {in.alpha, in.red, in.green, in.blue};
  const float out_channels[] = {out.alpha, out.red, out.green, out.blue};
  bool moderate = true, unit = true;
  for (float c : in_channels) {
    moderate = moderate && Moderate(c);
    unit = unit && Within(c, 0, 1);
  }
  for (float c : out_channels) {
    if (moderate) Require(!std::isnan(c), "NaN from a finite pixel and deliverable parameters");
    if (unit) Require(Within(c, 0, 1), "outside 0..1 from a pixel in 0..1");
  }
}

}  // namespace
}  // namespace huewarp::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace huewarp;
  using namespace huewarp::fuzz;
  FuzzInput in({data, size});

  FrameSettings settings;
  settings.inputRange = in.Take<std::uint16_t>();
  settings.gradient.valuesOver1 = in.Take<std::uint16_t>();
  const auto switches = in.Take<std::uint8_t>();
  settings.flip = switches & kFlip;
  settings.composite = switches & kComposite;
  settings.gradient.smoothWrap = switches & kSmoothWrap;
  settings.gradient.discrete = switches & kDiscrete;
  // Raw offsets replace the angle's below; only whether the offset is 0 reaches the ramps.
  float rawTurns = 0, rawWrapped = 0;
  if (switches & kOffsetAsAngle) {
    settings.gradient.offset = in.Take<PF_Fixed>();
  } else {
    rawTurns = in.Take<float>();
    rawWrapped = in.Take<float>();
    settings.gradient.offset = rawWrapped != 0.0f;
  }
  settings.gradient.cycleScale =
      switches & kCycleScaleSlider ? static_cast<float>(Slider(in.Take<std::uint16_t>(), 0.01, 20))
                                   : in.Take<float>();
  const float rawBlend = switches & kBlendSlider ? Fraction(in) : in.Take<float>();
  PreRenderData frame = MappingRecord(settings);
  frame.blend = rawBlend;
  if (!(switches & kOffsetAsAngle)) {
    frame.offsetTurns = rawTurns;
    frame.offsetWrapped = rawWrapped;
  }
  const bool deliverable = TakeGradient(in, settings.gradient) &&
                           Within(frame.cycleScale, 0.01f, 20) && Within(frame.blend, 0, 1);

  Gradient gradient = BuildGradient(settings.gradient);
  frame.alphaRamp = &gradient.alphaRamp;
  frame.colorRamp = &gradient.colorRamp;

  // One fast path per depth and kind of fused multiply-add, each on its own copy of the record.
  const std::int64_t pixels = switches & kLargeFrame ? std::int64_t{3840} * 2160 : 64;
  struct Fast {
    PreRenderData data;
    PixelFunctions map;
  };
  std::vector<Fast> fast;
  for (bool hardware : {false, true}) {
    if (hardware && !HasHardwareFma()) continue;
    for (int depth : {8, 16, 32}) {
      Fast f{frame, {}};
      f.data.fastPath = NewFastPath(f.data, depth, pixels, hardware);
      f.map = SelectPixelFunctions(f.data);
      fast.push_back(f);
    }
  }

  for (int i = 0; i < kMaxPixels && !in.Empty(); ++i) {
    const auto pixel = in.Take<PF_PixelFloat>();
    const PF_PixelFloat mappedFloat = Map(MapPixelFloat, frame, pixel);
    CheckFloat(pixel, mappedFloat, deliverable);

    const auto pixel16 = in.Take<PF_Pixel16>();
    const PF_Pixel16 mapped16 = Map(MapPixel16, frame, pixel16);
    for (A_u_short c : {mapped16.alpha, mapped16.red, mapped16.green, mapped16.blue}) {
      Require(c <= 32768, "16-bit channel above 32768");
    }
    const auto pixel8 = in.Take<PF_Pixel8>();
    const PF_Pixel8 mapped8 = Map(MapPixel8, frame, pixel8);

    for (Fast &f : fast) {
      Require(SameBits(Map(f.map.mapFloat, f.data, pixel), mappedFloat),
              "a fast path differs from the reference at 32 bits");
      Require(SameBits(Map(f.map.map16, f.data, pixel16), mapped16),
              "a fast path differs from the reference at 16 bits");
      Require(SameBits(Map(f.map.map8, f.data, pixel8), mapped8),
              "a fast path differs from the reference at 8 bits");
    }
  }
  for (Fast &f : fast) DeleteFastPath(f.data.fastPath);
  return 0;
}
