// Every 8-bit colour through the fast path of each input range that reads more than one channel,
// against the reference callback, for a family of gradients that covers every branch of the
// mapping: 16.7 million pixels per range and gradient, which is why it is labelled "huge".
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/fast_path.h"
#include "core/pixel_mapping.h"
#include "mapping_families.h"

namespace huewarp::testing {
namespace {

const std::uint16_t kMultiChannel[] = {
    kInputIntensity, kInputHue,    kInputSaturation, kInputCyan,    kInputMagenta, kInputYellow,
    kInputBlack,     kInputMinRgb, kInputMaxRgb,     kInputMinCmyk, kInputMaxCmyk};

class EveryTriple : public ::testing::TestWithParam<Family> {};

TEST_P(EveryTriple, GivesTheReferencePixel) {
  for (std::uint16_t range : kMultiChannel) {
    std::vector<std::unique_ptr<Frame>> frames;
    for (bool hardware : {false, true}) {
      if (!hardware || HasHardwareFma())
        frames.push_back(std::make_unique<Frame>(GetParam(), range, 8, hardware));
    }
    // Red per task, shared out to the threads; the alpha varies with the colour.
    std::atomic<int> next{0}, failures{0};
    const auto work = [&] {
      for (int r = next++; r < 256 && failures == 0; r = next++) {
        for (int g = 0; g < 256; ++g) {
          for (int b = 0; b < 256; ++b) {
            PF_Pixel8 in{static_cast<A_u_char>(r * 3 + g * 5 + b * 7), static_cast<A_u_char>(r),
                         static_cast<A_u_char>(g), static_cast<A_u_char>(b)};
            PF_Pixel8 want{}, got{};
            MapPixel8(&frames[0]->data, 0, 0, &in, &want);
            for (auto &f : frames) {
              f->map.map8(&f->data, 0, 0, &in, &got);
              if (std::memcmp(&got, &want, sizeof got) != 0 && failures++ == 0) {
                ADD_FAILURE() << "range " << range << ", pixel " << +in.alpha << " " << r << " "
                              << g << " " << b;
              }
            }
          }
        }
      }
    };
    std::vector<std::thread> pool(std::max(1u, std::thread::hardware_concurrency()) - 1);
    for (auto &t : pool) t = std::thread(work);
    work();
    for (auto &t : pool) t.join();
    ASSERT_EQ(failures, 0) << "range " << range;
  }
}

INSTANTIATE_TEST_SUITE_P(Compact, EveryTriple, ::testing::ValuesIn(CompactFamily()),
                         [](const auto &info) { return info.param.name; });

}  // namespace
}  // namespace huewarp::testing
