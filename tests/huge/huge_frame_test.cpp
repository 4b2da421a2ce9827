// One 16384 x 16384 frame at 8 bits through the host: 1 GiB of pixels in and 1 GiB out, rows
// reached past the first gigabyte. Too big for the sanitizers and for every configuration, so it
// is its own executable, labelled "huge", run once by the release configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "instance_fixture.h"
#include "render_fixture.h"

namespace huewarp::testing {
namespace {

using host::Depth;
using host::World;

TEST(HugeFrame, Renders16384Square8BitFrame) {
  constexpr int kSide = 16384;
  const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  SetUpInstance s = MakeInstance({.iterate_threads = threads});
  const Look look{.name = "SaturationWrap",
                  .input_range = kInputSaturation,
                  .values_over1 = kValuesOver1Wrap,
                  .cycle_scale = 3,
                  .alphas = {{0, 20}, {50, 100}, {100, 60}}};
  ApplyLook(*s.instance, look);

  World input(kSide, kSide, Depth::k8);
  for (int y = 0; y < kSide; ++y) {
    PF_Pixel *row = input.Row<PF_Pixel>(y);
    for (int x = 0; x < kSide; ++x) {
      row[x] = {static_cast<A_u_char>(255 - (x ^ y) % 97), static_cast<A_u_char>(x * 3 + y),
                static_cast<A_u_char>(y * 5), static_cast<A_u_char>((x + 2 * y) >> 6)};
    }
  }
  World output(kSide, kSide, Depth::k8);
  const host::FrameResult r = host::RenderFrame(
      *s.host, {.instance = s.instance.get(), .input = &input, .output = &output});
  ASSERT_EQ(r.err, PF_Err_NONE);

  // Every pixel is computed, but checking all of them against the core would double the run:
  // the first and last rows, the ones at each gigabyte-scale offset and a spread between.
  ExpectedRecord expected(look);
  for (int y = 0; y < kSide; y += (y < kSide - 64 ? 509 : 1)) {
    const PF_Pixel *in = input.Row<PF_Pixel>(y);
    const PF_Pixel *out = output.Row<PF_Pixel>(y);
    for (int x = 0; x < kSide; ++x) {
      PF_Pixel source = in[x], want{};
      MapPixel8(&expected.record, x, y, &source, &want);
      ASSERT_TRUE(out[x].alpha == want.alpha && out[x].red == want.red &&
                  out[x].green == want.green && out[x].blue == want.blue)
          << "pixel " << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace huewarp::testing
