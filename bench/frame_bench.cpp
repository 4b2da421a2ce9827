// Whole 3840x2160 frames at 8, 16 and 32 bits on 1 and 2 threads, the looks, on three
// pictures in one run: 0, noise (every channel random: the worst case for tables, branches and
// caches); 1, a photograph (scikit-image's "coffee"); 2, camera footage (frame 100 of the street
// scene vtest.avi of Debian's opencv-doc, 768x576, decoded by the ffmpeg program). Both scaled to
// UHD by OpenImageIO, opaque.
// - Effect: the render through the simulated host (smart pre-render and render, iterate suite);
// - Copy: the effect's own plain copy (blend at 100) through the same host and iterate suite, the
//   baseline every ratio is quoted against;
// - Reference: the reference callbacks (per-sample binary search, software fused multiply-add)
//   over the same frame in the host's bands of rows; its first frame must equal the effect's;
// - OiioColorMap: OpenImageIO's ImageBufAlgo::color_map with a 256-entry map on a buffer of the
//   same size and depth, luminance as the source;
// - Build: what pre-render builds for the frame (tables and indices), alone.
#include <benchmark/benchmark.h>

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <utility>
#include <memory>
#include <thread>
#include <vector>

#include "host/render/frame.h"
#include "host/instance/instance.h"
#include "core/fast_path.h"
#include "core/pixel_mapping.h"
#include "render_fixture.h"

namespace huewarp {
namespace {

using host::Depth;
using host::ParamValue;
using testing::ApplyLook;
using testing::ExpectedRecord;
using testing::Look;
using testing::Look37;

constexpr int kWidth = 3840, kHeight = 2160;

std::vector<testing::TestStop> HundredStops() {
  std::vector<testing::TestStop> stops;
  for (int n = 0; n < 100; ++n) {
    const float u = n / 99.0f;
    stops.push_back({u * 100.0, u, 1 - u, u * u});
  }
  return stops;
}

const Look &LookOf(int which) {
  static const Look looks[] = {
      Look{.name = "default"},
      Look{.name = "stops100", .discrete = true, .stops = HundredStops()},
      Look37("intensity", kInputIntensity),
      Look37("hue", kInputHue),
      Look37("saturation", kInputSaturation),
      Look37("magenta", kInputMagenta),
      Look37("maxcmyk", kInputMaxCmyk),
      [] {
        Look l = Look37("intensity-composite-blend", kInputIntensity);
        l.composite = true;
        l.blend = 50;
        return l;
      }(),
      [] {
        Look l = Look37("wrap-bounce-725", kInputMinRgb);
        l.smooth_wrap = true;
        l.values_over1 = kValuesOver1Bounce;
        l.offset_degrees = 725;
        return l;
      }(),
      Look{.name = "intensity-5-stops", .input_range = kInputIntensity},
  };
  return looks[which];
}
constexpr int kLooks = 10;

struct Setup {
  std::unique_ptr<host::Host> host;
  std::unique_ptr<host::Instance> instance;
};

Setup MakeEffect(int threads, const Look &look) {
  Setup s;
  s.host = std::make_unique<host::Host>(HUEWARP_MODULE_PATH,
                                        host::HostOptions{.iterate_threads = threads});
  s.host->GlobalSetup();
  s.instance = std::make_unique<host::Instance>(*s.host);
  s.instance->Setup();
  ApplyLook(*s.instance, look);
  return s;
}

/// `source` scaled to UHD, as float RGB.
std::vector<float> Uhd(const OIIO::ImageBuf &source) {
  const OIIO::ImageBuf uhd =
      OIIO::ImageBufAlgo::resize(source, "", 0, OIIO::ROI(0, kWidth, 0, kHeight));
  std::vector<float> rgb(std::size_t{kWidth} * kHeight * 3);
  uhd.get_pixels(OIIO::ROI(0, kWidth, 0, kHeight, 0, 1, 0, 3), OIIO::TypeDesc::FLOAT, rgb.data());
  return rgb;
}

/// Frame 100 of the street scene at its own size.
OIIO::ImageBuf StreetFrame() {
  constexpr int kMovieWidth = 768, kMovieHeight = 576;
  std::vector<std::uint8_t> rgba =
      testing::MovieFrame(testing::kStreetMovie, 100, kMovieWidth, kMovieHeight);
  if (rgba.empty()) {
    std::fprintf(stderr, "cannot decode frame 100 of %s (tools/install-deps.sh installs it)\n",
                 testing::kStreetMovie);
    std::exit(1);
  }
  OIIO::ImageBuf frame(OIIO::ImageSpec(kMovieWidth, kMovieHeight, 4, OIIO::TypeDesc::UINT8));
  frame.set_pixels(OIIO::ROI::All(), OIIO::TypeDesc::UINT8, rgba.data());
  return frame;
}

/// 0: noise, every channel random; 1: the photograph and 2: the movie frame, scaled to UHD,
/// opaque.
const host::World &Picture(Depth depth, int which) {
  static std::map<std::pair<Depth, int>, host::World> pictures;
  const auto key = std::make_pair(depth, which);
  if (!pictures.count(key)) {
    host::World world(kWidth, kHeight, depth);
    if (which == 0) {
      std::mt19937 rng(7);
      const float levels = depth == Depth::k8 ? 255.0f : 32768.0f;
      const auto any = [&] {
        return depth == Depth::k32 ? static_cast<float>(rng() % 1000001) / 1e6f
                                   : static_cast<float>(rng() % (int(levels) + 1)) / levels;
      };
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) world.SetFloat(x, y, {any(), any(), any(), any()});
      }
    } else {
      const std::vector<float> rgb =
          Uhd(which == 1 ? OIIO::ImageBuf("/usr/lib/python3/dist-packages/skimage/data/coffee.png")
                         : StreetFrame());
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const float *p = &rgb[(std::size_t{kWidth} * y + x) * 3];
          world.SetFloat(x, y, {1.0f, p[0], p[1], p[2]});
        }
      }
    }
    pictures.emplace(key, std::move(world));
  }
  return pictures.at(key);
}

host::FrameResult RenderThroughHost(Setup &s, const host::World &input, host::World &output) {
  return host::RenderFrame(*s.host,
                           {.instance = s.instance.get(), .input = &input, .output = &output});
}

void Finish(benchmark::State &state, const char *label) {
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
  state.SetLabel(label);
}

// Arguments: depth, look, picture, threads.
void BM_Effect(benchmark::State &state) {
  const Depth depth = static_cast<Depth>(state.range(0));
  Setup s = MakeEffect(static_cast<int>(state.range(3)), LookOf(static_cast<int>(state.range(1))));
  const host::World &input = Picture(depth, static_cast<int>(state.range(2)));
  host::World output(kWidth, kHeight, depth);
  for (auto _ : state) {
    if (RenderThroughHost(s, input, output).err) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(output.effect_world()->data);
  }
  Finish(state, LookOf(static_cast<int>(state.range(1))).name);
}

// Arguments: depth, picture, threads.
void BM_Copy(benchmark::State &state) {
  const Depth depth = static_cast<Depth>(state.range(0));
  Look copy;
  copy.blend = 100;
  Setup s = MakeEffect(static_cast<int>(state.range(2)), copy);
  const host::World &input = Picture(depth, static_cast<int>(state.range(1)));
  host::World output(kWidth, kHeight, depth);
  for (auto _ : state) {
    if (RenderThroughHost(s, input, output).err) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(output.effect_world()->data);
  }
  Finish(state, "copy");
}

// The host's iteration: bands of 16 rows handed out to the threads.
template <class Pixel, class Fn>
void MapBands(const host::World &input, host::World &output, int threads, Fn fn, void *refcon) {
  constexpr int kRows = 16;
  const int bands = (kHeight + kRows - 1) / kRows;
  std::atomic<int> next{0};
  auto work = [&] {
    for (int band = next++; band < bands; band = next++) {
      for (int y = band * kRows; y < std::min(kHeight, (band + 1) * kRows); ++y) {
        const Pixel *in = input.Row<Pixel>(y);
        Pixel *out = output.Row<Pixel>(y);
        for (int x = 0; x < kWidth; ++x) {
          Pixel p = in[x];
          fn(refcon, x, y, &p, &out[x]);
        }
      }
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto &t : pool) t.join();
}

void MapReference(const host::World &input, host::World &output, int threads, void *record) {
  switch (input.depth()) {
    case Depth::k8:
      return MapBands<PF_Pixel8>(input, output, threads, MapPixel8, record);
    case Depth::k16:
      return MapBands<PF_Pixel16>(input, output, threads, MapPixel16, record);
    case Depth::k32:
      return MapBands<PF_PixelFloat>(input, output, threads, MapPixelFloat, record);
  }
}

// Arguments: depth, look, picture, threads.
void BM_Reference(benchmark::State &state) {
  const Depth depth = static_cast<Depth>(state.range(0));
  const int threads = static_cast<int>(state.range(3));
  const Look &look = LookOf(static_cast<int>(state.range(1)));
  ExpectedRecord expected(look);
  const host::World &input = Picture(depth, static_cast<int>(state.range(2)));
  host::World output(kWidth, kHeight, depth), effect(kWidth, kHeight, depth);
  Setup s = MakeEffect(threads, look);
  MapReference(input, output, threads, &expected.record);
  if (RenderThroughHost(s, input, effect).err || !effect.SamePixels(output)) {
    state.SkipWithError("the effect's frame differs from the reference");
  }
  for (auto _ : state) {
    MapReference(input, output, threads, &expected.record);
    benchmark::DoNotOptimize(output.effect_world()->data);
  }
  Finish(state, look.name);
}

// Arguments: depth, threads.
void BM_OiioColorMap(benchmark::State &state) {
  using OIIO::TypeDesc;
  const int bits = static_cast<int>(state.range(0));
  const TypeDesc type = bits == 8    ? TypeDesc::UINT8
                        : bits == 16 ? TypeDesc::UINT16
                                     : TypeDesc::FLOAT;
  OIIO::ImageBuf src(OIIO::ImageSpec(kWidth, kHeight, 4, type));
  OIIO::ImageBuf dst(OIIO::ImageSpec(kWidth, kHeight, 3, type));
  OIIO::ImageBufAlgo::fill(src, {0.2f, 0.5f, 0.8f, 1.0f}, {1.0f, 0.1f, 0.3f, 1.0f},
                           {0.0f, 0.9f, 0.4f, 1.0f}, {0.6f, 0.6f, 0.1f, 1.0f});
  std::vector<float> knots(256 * 3);
  for (int i = 0; i < 256; ++i) {
    knots[3 * i] = i / 255.0f;
    knots[3 * i + 1] = 1 - i / 255.0f;
    knots[3 * i + 2] = (i % 16) / 15.0f;
  }
  const int threads = static_cast<int>(state.range(1));
  for (auto _ : state) {
    if (!OIIO::ImageBufAlgo::color_map(dst, src, -1, 256, 3, knots, {}, threads)) {
      state.SkipWithError("color_map failed");
    }
    benchmark::DoNotOptimize(dst.localpixels());
  }
  Finish(state, "oiio");
}

// Arguments: depth, look.
void BM_Build(benchmark::State &state) {
  const int depth = static_cast<int>(state.range(0));
  const Look &look = LookOf(static_cast<int>(state.range(1)));
  ExpectedRecord expected(look);
  for (auto _ : state) {
    FastPath *fast =
        NewFastPath(expected.record, depth, int64_t{kWidth} * kHeight, HasHardwareFma());
    benchmark::DoNotOptimize(fast);
    DeleteFastPath(fast);
  }
  state.SetLabel(look.name);
}

void Frames(benchmark::internal::Benchmark *b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.3);
}

std::vector<int64_t> AllLooks() {
  std::vector<int64_t> looks;
  for (int l = 0; l < kLooks; ++l) looks.push_back(l);
  return looks;
}

BENCHMARK(BM_Build)
    ->ArgNames({"depth", "look"})
    ->ArgsProduct({{8, 16, 32}, AllLooks()})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)
    ->ArgNames({"depth", "picture", "threads"})
    ->ArgsProduct({{8, 16, 32}, {0, 1, 2}, {1, 2}})
    ->Apply(Frames);
BENCHMARK(BM_Effect)
    ->ArgNames({"depth", "look", "picture", "threads"})
    ->ArgsProduct({{8, 16, 32}, AllLooks(), {0, 1, 2}, {1, 2}})
    ->Apply(Frames);
BENCHMARK(BM_Reference)
    ->ArgNames({"depth", "look", "picture", "threads"})
    ->ArgsProduct({{8, 16, 32}, AllLooks(), {0, 1, 2}, {1}})
    ->Apply(Frames);
BENCHMARK(BM_OiioColorMap)
    ->ArgNames({"depth", "threads"})
    ->ArgsProduct({{8, 16, 32}, {1, 2}})
    ->Apply(Frames);

}  // namespace
}  // namespace huewarp
