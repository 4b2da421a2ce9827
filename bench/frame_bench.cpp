// Whole frames through the simulated host: a 3840x2160 render at 8, 16 and 32 bits, with the
// default gradient and with a 100-stop discrete one, on 1 and 2 iterate threads. The baseline is
// the effect's own plain copy (blend at 100) through the same host and iterate suite.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>

#include "AE_GeneralPlug.h"
#include "host/frame.h"
#include "host/instance.h"
#include "params/arb_data.h"
#include "params/param_layout.h"

namespace huewarp {
namespace {

using host::Depth;
using host::ParamValue;

constexpr int kWidth = 3840, kHeight = 2160;

struct Setup {
  std::unique_ptr<host::Host> host;
  std::unique_ptr<host::Instance> instance;
};

Setup MakeEffect(int threads) {
  Setup s;
  s.host = std::make_unique<host::Host>(HUEWARP_MODULE_PATH,
                                        host::HostOptions{.iterate_threads = threads});
  s.host->GlobalSetup();
  s.instance = std::make_unique<host::Instance>(*s.host);
  s.instance->Setup();
  return s;
}

/// One hundred stops with their own colours, discrete transitions on.
void UseHundredStops(Setup &s) {
  for (int n = 1; n <= kMaxSlots; ++n) {
    const float u = (n - 1) / 99.0f;
    s.instance->SetValue(ColorSlotIndex(n), ParamValue::Color(PF_PixelFloat{1, u, 1 - u, u * u}));
    s.instance->SetValue(PositionSlotIndex(n), ParamValue::Float(u * 100.0));
  }
  s.instance->SetValue(kDiscreteColorTransitionsIndex, ParamValue::Int(1));
  auto *record =
      static_cast<ArbData *>(s.host->Handles().Data(s.instance->ArbitraryValue(kArbDataIndex)));
  record->color_slots_used = kMaxSlots;
}

host::World Picture(Depth depth) {
  host::World world(kWidth, kHeight, depth);
  for (int y = 0; y < kHeight; y += 1) {
    for (int x = 0; x < kWidth; x += 1) {
      world.SetFloat(x, y, {1.0f, x / float(kWidth), y / float(kHeight), (x ^ y) % 256 / 255.0f});
    }
  }
  return world;
}

// Arguments: depth (8, 16, 32), gradient (0 default, 1 hundred discrete stops), threads, copy.
void BM_Frame(benchmark::State &state) {
  const Depth depth = static_cast<Depth>(state.range(0));
  Setup s = MakeEffect(static_cast<int>(state.range(2)));
  if (state.range(1)) UseHundredStops(s);
  if (state.range(3)) s.instance->SetValue(kBlendWithOriginalIndex, ParamValue::Float(100));
  static std::map<int, host::World> pictures;
  if (!pictures.count(state.range(0))) pictures.emplace(state.range(0), Picture(depth));
  const host::World &input = pictures.at(state.range(0));
  host::World output(kWidth, kHeight, depth);
  for (auto _ : state) {
    host::FrameRequest request{.instance = s.instance.get(), .input = &input, .output = &output};
    const host::FrameResult r = host::RenderFrame(*s.host, request);
    if (r.err) state.SkipWithError("render failed");
    benchmark::DoNotOptimize(output.effect_world()->data);
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
  state.SetLabel(state.range(3) ? "copy" : "map");
}

BENCHMARK(BM_Frame)
    ->ArgNames({"depth", "stops100", "threads", "copy"})
    ->ArgsProduct({{8, 16, 32}, {0, 1}, {1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.3);

}  // namespace
}  // namespace huewarp
