// Cost of the colour-mapping core: one gradient lookup, and one pixel at each depth against a plain
// copy through the same kind of callback (the baseline to quote ratios against).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/fast_path.h"
#include "core/gradient.h"
#include "core/pixel_mapping.h"

namespace huewarp {

namespace {

constexpr int kPixels = 4096;

std::vector<ColorStop> RandomStops(int count, std::mt19937 &rng) {
  std::uniform_real_distribution<float> unit(0, 1);
  std::vector<ColorStop> stops(count);
  for (ColorStop &s : stops) s = {unit(rng), unit(rng), unit(rng), unit(rng)};
  return stops;
}

void BM_SampleColor(benchmark::State &state) {
  std::mt19937 rng(1);
  std::vector<ColorStop> stops = RandomStops(static_cast<int>(state.range(0)), rng);
  const ColorRamp ramp(stops, false, false, 1);
  std::vector<float> ts(kPixels);
  std::uniform_real_distribution<float> unit(0, 1);
  for (float &t : ts) t = unit(rng);
  for (auto _ : state) {
    for (float t : ts) benchmark::DoNotOptimize(SampleColor(ramp, t, 1));
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_SampleColor)->ArgName("stops")->Arg(5)->Arg(200);

template <class Pixel>
using PixelFunc = PF_Err (*)(void *, A_long, A_long, Pixel *, Pixel *);

template <class Pixel>
Pixel RandomPixel(std::mt19937 &rng) {
  if constexpr (std::is_same_v<Pixel, PF_PixelFloat>) {
    std::uniform_real_distribution<float> unit(0, 1);
    return {unit(rng), unit(rng), unit(rng), unit(rng)};
  } else {
    using Channel = decltype(Pixel{}.alpha);
    const auto max = static_cast<unsigned>(std::is_same_v<Pixel, PF_Pixel16> ? 32768 : 255);
    const auto c = [&] { return static_cast<Channel>(rng() % (max + 1)); };
    return {c(), c(), c(), c()};
  }
}

// Runs a callback over a buffer of random pixels, as the host's iterate suite would.
template <class Pixel>
void RunOver(benchmark::State &state, PixelFunc<Pixel> fn, void *refcon) {
  std::mt19937 rng(2);
  std::vector<Pixel> in(kPixels), out(kPixels);
  for (Pixel &p : in) p = RandomPixel<Pixel>(rng);
  benchmark::DoNotOptimize(fn);
  for (auto _ : state) {
    for (int i = 0; i < kPixels; ++i) fn(refcon, i, 0, &in[i], &out[i]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}

template <class Pixel>
PF_Err CopyPixel(void *, A_long, A_long, Pixel *in, Pixel *out) {
  *out = *in;
  return PF_Err_NONE;
}

template <class Pixel>
void BM_CopyPixel(benchmark::State &state) {
  RunOver<Pixel>(state, CopyPixel<Pixel>, nullptr);
}

/// Five random colour stops and three alpha handles, so that the alpha lookup is done too.
struct FiveStops {
  std::vector<ColorStop> stops;
  std::vector<AlphaHandle> handles = {{0, 1}, {0.5f, 0.4f}, {1, 0.8f}};
  ColorRamp colors;
  AlphaRamp alphas;

  FiveStops() : stops(Stops()), colors(stops, false, false, 1), alphas(handles, false, false, 1) {}
  static std::vector<ColorStop> Stops() {
    std::mt19937 rng(3);
    return RandomStops(5, rng);
  }
  /// The frame's record for arguments (input range, composite and blend on).
  PreRenderData Record(const benchmark::State &state) {
    PreRenderData data{};
    data.colorRamp = &colors;
    data.alphaRamp = &alphas;
    data.inputRange = static_cast<std::uint16_t>(state.range(0));
    data.valuesOver1 = kValuesOver1Clamp;
    data.cycleScale = 1;
    data.composite = state.range(1) != 0;
    data.blend = state.range(1) != 0 ? 0.3f : 0.0f;
    return data;
  }
};

// Arguments: the input range (15 Min RGB, 1 Intensity, 2 Hue) and whether composite and blend
// are on.
template <class Pixel, PixelFunc<Pixel> kMap>
void BM_MapPixel(benchmark::State &state) {
  FiveStops gradient;
  PreRenderData data = gradient.Record(state);
  RunOver<Pixel>(state, kMap, &data);
}

// The same pixels through the frame's fast path: level tables where they apply (an UHD frame),
// indices and the processor's fused multiply-add otherwise.
template <class Pixel>
void BM_MapPixelFast(benchmark::State &state) {
  FiveStops gradient;
  PreRenderData data = gradient.Record(state);
  const int depth = std::is_same_v<Pixel, PF_Pixel8>    ? 8
                    : std::is_same_v<Pixel, PF_Pixel16> ? 16
                                                        : 32;
  data.fastPath = NewFastPath(data, depth, 3840 * 2160, HasHardwareFma());
  const PixelFunctions map = SelectPixelFunctions(data);
  if constexpr (std::is_same_v<Pixel, PF_Pixel8>) {
    RunOver<Pixel>(state, map.map8, &data);
  } else if constexpr (std::is_same_v<Pixel, PF_Pixel16>) {
    RunOver<Pixel>(state, map.map16, &data);
  } else {
    RunOver<Pixel>(state, map.mapFloat, &data);
  }
  DeleteFastPath(data.fastPath);
}

void MappingArgs(benchmark::internal::Benchmark *b) {
  b->ArgNames({"range", "mix"})->ArgsProduct({{15, 1, 2}, {0, 1}});
}

BENCHMARK_TEMPLATE(BM_CopyPixel, PF_Pixel8);
BENCHMARK_TEMPLATE(BM_MapPixel, PF_Pixel8, MapPixel8)->Apply(MappingArgs);
BENCHMARK_TEMPLATE(BM_MapPixelFast, PF_Pixel8)->Apply(MappingArgs);
BENCHMARK_TEMPLATE(BM_CopyPixel, PF_Pixel16);
BENCHMARK_TEMPLATE(BM_MapPixel, PF_Pixel16, MapPixel16)->Apply(MappingArgs);
BENCHMARK_TEMPLATE(BM_MapPixelFast, PF_Pixel16)->Apply(MappingArgs);
BENCHMARK_TEMPLATE(BM_CopyPixel, PF_PixelFloat);
BENCHMARK_TEMPLATE(BM_MapPixel, PF_PixelFloat, MapPixelFloat)->Apply(MappingArgs);
BENCHMARK_TEMPLATE(BM_MapPixelFast, PF_PixelFloat)->Apply(MappingArgs);

}  // namespace

}  // namespace huewarp
