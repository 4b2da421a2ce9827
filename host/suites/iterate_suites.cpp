// The iterate suites at 8, 16 and 32 bits, versions 1 and 2: call the effect's pixel function
// once per pixel of the area, splitting the rows into bands over the host's thread count.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "AE_EffectCBSuites.h"
#include "host/core/allocation_gate.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

constexpr int kRowsPerBand = 16;

template <class Pixel>
Pixel *PixelAt(PF_EffectWorld *world, int x, int y) {
  auto *row =
      reinterpret_cast<std::uint8_t *>(world->data) + static_cast<ptrdiff_t>(y) * world->rowbytes;
  return reinterpret_cast<Pixel *>(row) + x;
}

int ThreadCount(const PF_InData *in_data) {
  CommandContext *context = in_data ? CommandFromRef(in_data->effect_ref) : CurrentCommand();
  return context ? std::max(1, context->host->options().iterate_threads) : 1;
}

// Bands never share rows, so the effect's writes need no lock; after the first error no further
// band starts, and that error is returned.
template <class Pixel, class Fn>
PF_Err Iterate(const char *suite, PF_InData *in_data, PF_EffectWorld *src, const PF_Rect *area,
               void *refcon, Fn pix_fn, PF_EffectWorld *dst) {
  const HostCall fault = Consult("iterate", suite);
  if (fault.fail) return fault.code;
  if (!dst || !pix_fn) return PF_Err_BAD_CALLBACK_PARAM;
  PF_Rect r = area ? *area : PF_Rect{0, 0, dst->width, dst->height};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, dst->width);
  r.bottom = std::min(r.bottom, dst->height);
  if (src) {
    r.right = std::min(r.right, src->width);
    r.bottom = std::min(r.bottom, src->height);
  }
  if (r.left >= r.right || r.top >= r.bottom) return PF_Err_NONE;

  const int bands = (r.bottom - r.top + kRowsPerBand - 1) / kRowsPerBand;
  std::atomic<int> next_band{0};
  std::atomic<PF_Err> first_error{PF_Err_NONE};
  auto work = [&] {
    // The pixel callbacks are the effect's code, on whichever thread runs the band.
    const EffectCodeScope effect_code;
    for (int band = next_band++; band < bands && first_error == PF_Err_NONE; band = next_band++) {
      const int y0 = r.top + band * kRowsPerBand;
      const int y1 = std::min(y0 + kRowsPerBand, static_cast<int>(r.bottom));
      for (int y = y0; y < y1; ++y) {
        for (int x = r.left; x < r.right; ++x) {
          Pixel *out = PixelAt<Pixel>(dst, x, y);
          Pixel *in = src ? PixelAt<Pixel>(src, x, y) : out;
          if (const PF_Err err = pix_fn(refcon, x, y, in, out)) {
            PF_Err none = PF_Err_NONE;
            first_error.compare_exchange_strong(none, err);
            return;
          }
        }
      }
    }
  };
  const int threads = std::min(ThreadCount(in_data), bands);
  if (threads <= 1) {
    work();
  } else {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (auto &thread : pool) thread.join();
  }
  return first_error;
}

template <int kVersion>
PF_Err Iterate8(PF_InData *in_data, A_long, A_long, PF_EffectWorld *src, const PF_Rect *area,
                void *refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld *dst) {
  return Iterate<PF_Pixel>(kVersion == 1 ? "PF Iterate8 Suite 1" : "PF Iterate8 Suite 2", in_data,
                           src, area, refcon, pix_fn, dst);
}

template <int kVersion>
PF_Err Iterate16(PF_InData *in_data, A_long, A_long, PF_EffectWorld *src, const PF_Rect *area,
                 void *refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld *dst) {
  return Iterate<PF_Pixel16>(kVersion == 1 ? "PF iterate16 Suite 1" : "PF iterate16 Suite 2",
                             in_data, src, area, refcon, pix_fn, dst);
}

template <int kVersion>
PF_Err IterateFloat(PF_InData *in_data, A_long, A_long, PF_EffectWorld *src, const PF_Rect *area,
                    void *refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld *dst) {
  return Iterate<PF_PixelFloat>(
      kVersion == 1 ? "PF iterateFloat Suite 1" : "PF iterateFloat Suite 2", in_data, src, area,
      refcon, pix_fn, dst);
}

}  // namespace

void RegisterIterateSuites(SuiteRegistry &registry) {
  static PF_Iterate8Suite1 i8v1{Iterate8<1>};
  static PF_Iterate8Suite2 i8v2{Iterate8<2>};
  static PF_Iterate16Suite1 i16v1{Iterate16<1>};
  static PF_Iterate16Suite2 i16v2{Iterate16<2>};
  static PF_IterateFloatSuite1 ifv1{IterateFloat<1>};
  static PF_IterateFloatSuite2 ifv2{IterateFloat<2>};
  registry.Add(kPFIterate8Suite, 1, &i8v1);
  registry.Add(kPFIterate8Suite, 2, &i8v2);
  registry.Add(kPFIterate16Suite, 1, &i16v1);
  registry.Add(kPFIterate16Suite, 2, &i16v2);
  registry.Add(kPFIterateFloatSuite, 1, &ifv1);
  registry.Add(kPFIterateFloatSuite, 2, &ifv2);
}

}  // namespace huewarp::host
