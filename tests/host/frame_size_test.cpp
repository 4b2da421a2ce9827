// Frames at the edges of what a host hands over, at every depth: the longest strip and column a
// host allows, rows with a large padding beyond the pixels, and an area clipped to nothing. Each
// must render exactly the core's pixels (or leave the output alone) with no error.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "instance_fixture.h"
#include "render_fixture.h"

namespace huewarp::testing {
namespace {

using host::Depth;
using host::World;

struct Shape {
  const char *name;
  int width, height, padding;
  /// The area asked for; none is the whole frame.
  std::optional<PF_LRect> rect;
};

constexpr int kLongest = 30000;  // the longest side a host hands over
const Shape kShapes[] = {
    {"Strip", kLongest, 2, 0, {}},
    {"Column", 2, kLongest, 0, {}},
    {"PaddedRows", 37, 9, 1 << 20, {}},
    {"ClippedToNothing", 16, 8, 0, PF_LRect{kLongest, kLongest, kLongest + 5, kLongest + 5}},
};

const Look kLook{.name = "HueCycleSmooth",
                 .input_range = kInputHue,
                 .offset_degrees = 30,
                 .cycle_scale = 2,
                 .smooth_wrap = true,
                 .alphas = {{0, 40}, {100, 100}}};

class FrameSize : public ::testing::TestWithParam<std::tuple<Shape, Depth>> {};

TEST_P(FrameSize, RendersTheCorePixelsOrNothing) {
  const auto [shape, depth] = GetParam();
  SetUpInstance s = MakeInstance({.iterate_threads = 2});
  ApplyLook(*s.instance, kLook);
  const World input = TestPicture(shape.width, shape.height, depth, shape.padding);
  // The output starts as a copy of the input, so an area left alone is recognisable.
  World output = input;
  const World before = output;

  const host::FrameResult r = host::RenderFrame(
      *s.host,
      {.instance = s.instance.get(), .input = &input, .output = &output, .rect = shape.rect});
  ASSERT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.record_deleted);
  const World expected = shape.rect ? before : ExpectedFrame(kLook, input);
  EXPECT_TRUE(output.SamePixels(expected));
}

INSTANTIATE_TEST_SUITE_P(Shapes, FrameSize,
                         ::testing::Combine(::testing::ValuesIn(kShapes),
                                            ::testing::Values(Depth::k8, Depth::k16, Depth::k32)),
                         [](const auto &info) {
                           return std::string(std::get<0>(info.param).name) +
                                  std::to_string(static_cast<int>(std::get<1>(info.param)));
                         });

}  // namespace
}  // namespace huewarp::testing
