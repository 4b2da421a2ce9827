// Frames rendered through the host at 8, 16 and 32 bits equal the core's own pixels, bit for
// bit, for every family of parameters and on a frame of camera footage; hidden and unused slots,
// full blend, unknown formats, keyframes, and many frames on many threads.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <thread>

#include "instance_fixture.h"
#include "render_fixture.h"

namespace huewarp::testing {
namespace {

using host::Depth;
using host::World;

host::FrameResult Render(SetUpInstance &s, const World &input, World &output, A_long time = 0) {
  host::FrameRequest request;
  request.instance = s.instance.get();
  request.input = &input;
  request.output = &output;
  request.time = time;
  return host::RenderFrame(*s.host, request);
}

const Look kLooks[] = {
    Look{.name = "Defaults"},
    Look{.name = "IntensityClampOffset",
         .input_range = kInputIntensity,
         .offset_degrees = 90,
         .values_over1 = kValuesOver1Clamp},
    Look{.name = "HueWrapCycleSmooth",
         .input_range = kInputHue,
         .offset_degrees = -90,
         .values_over1 = kValuesOver1Wrap,
         .cycle_scale = 2,
         .smooth_wrap = true},
    Look{.name = "SaturationBounceFlip",
         .input_range = kInputSaturation,
         .offset_degrees = 720,
         .flip = true},
    Look{.name = "MaxCmykDiscrete",
         .input_range = kInputMaxCmyk,
         .discrete = true,
         .stops = {{0, 1, 0, 0}, {50, 0, 1, 0}, {100, 0, 0, 1}}},
    Look{.name = "AlphaCompositeBlend",
         .input_range = kInputAlpha,
         .composite = true,
         .blend = 37.5,
         .alphas = {{10, 0}, {60, 80}, {90, 30}}},
    Look{.name = "RedSmoothBelowOne",
         .input_range = kInputRed,
         .cycle_scale = 0.5,
         .smooth_wrap = true,
         .alphas = {{20, 50}, {80, 100}}},
    Look{.name = "BlendAlmostFull", .blend = 99.8},
    Look{.name = "BlendFullCopies", .blend = 99.95},
};

enum class Size { kSmall, kLarge, kMovie };

struct RenderCase {
  Look look;
  Depth depth;
  Size size;  // large: enough pixels for the per-level tables at 8 and 16 bits
};
std::string NameOf(const RenderCase &c) {
  const char *sizes[] = {"", "_large", "_movie"};
  return std::string(c.look.name) + "_" + std::to_string(static_cast<int>(c.depth)) +
         sizes[static_cast<int>(c.size)];
}
void PrintTo(const RenderCase &c, std::ostream *os) { *os << NameOf(c); }

// Enough pixels for the value buckets of a heavy look.
constexpr int kMovieWidth = 1024, kMovieHeight = 768;

World Input(const RenderCase &c) {
  if (c.size != Size::kMovie) {
    return c.size == Size::kLarge ? TestPicture(320, 208, c.depth, 12)
                                  : TestPicture(23, 17, c.depth, 12);
  }
  World world(kMovieWidth, kMovieHeight, c.depth, 12);
#if !defined(_WIN32)
  static const std::vector<std::uint8_t> rgba =
      MovieFrame(kStreetMovie, 100, kMovieWidth, kMovieHeight);
  if (rgba.empty()) {
    ADD_FAILURE() << "cannot decode frame 100 of " << kStreetMovie
                  << " (Debian's opencv-doc; tools/install-deps.sh installs it)";
    return world;
  }
  for (int y = 0; y < kMovieHeight; ++y) {
    for (int x = 0; x < kMovieWidth; ++x) {
      const std::uint8_t *p = &rgba[(std::size_t{kMovieWidth} * y + x) * 4];
      world.SetFloat(x, y, {1.0f, p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f});
    }
  }
#endif
  return world;
}

class RenderMatchesCore : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RenderMatchesCore, BitForBit) {
  SetUpInstance s = MakeInstance();
  ApplyLook(*s.instance, GetParam().look);
  const World input = Input(GetParam());
  World output(input.width(), input.height(), GetParam().depth, 12);
  const host::FrameResult r = Render(s, input, output);
  ASSERT_EQ(r.err, 0);
  EXPECT_TRUE(r.record_deleted);
  EXPECT_TRUE(output.SamePixels(ExpectedFrame(GetParam().look, input)));
}

std::vector<RenderCase> AllCases() {
  std::vector<RenderCase> cases;
  for (const Look &look : kLooks) {
    for (Depth depth : {Depth::k8, Depth::k16, Depth::k32}) {
      for (Size size : {Size::kSmall, Size::kLarge}) cases.push_back({look, depth, size});
    }
  }
#if !defined(_WIN32)
  Look blended = Look37("IntensityHeavyCompositeBlend", kInputIntensity);
  blended.composite = true;
  blended.blend = 50;
  for (const Look &look : {Look37("IntensityHeavy", kInputIntensity), Look37("HueHeavy", kInputHue),
                           Look37("SaturationHeavy", kInputSaturation), blended}) {
    for (Depth depth : {Depth::k8, Depth::k16}) cases.push_back({look, depth, Size::kMovie});
  }
#endif
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Looks, RenderMatchesCore, ::testing::ValuesIn(AllCases()),
                         [](const auto &info) { return NameOf(info.param); });

TEST(RenderSlots, HiddenAndUnusedSlotsContributeNothingAndOrderDoesNotMatter) {
  SetUpInstance s = MakeInstance();
  Look look{.input_range = kInputGreen,
            .stops = {{100, 0, 0, 1}, {0, 1, 0, 0}, {50, 0, 1, 0}, {70, 1, 1, 1}}};
  ApplyLook(*s.instance, look);
  // Slot 4 is in the used range but hidden; slot 6 is visible but above the count of five.
  s.instance->SetDynamicStreamFlag(ColorSlotIndex(4), AEGP_DynStreamFlag_HIDDEN, true);
  s.instance->SetValue(ColorSlotIndex(6), host::ParamValue::Color(PF_PixelFloat{1, 1, 1, 0}));
  const World input = TestPicture(16, 9, Depth::k32, 0);
  World output(16, 9, Depth::k32, 0);
  const host::FrameResult r = Render(s, input, output);
  ASSERT_EQ(r.err, 0);
  look.stops.pop_back();
  EXPECT_TRUE(output.SamePixels(ExpectedFrame(look, input)));
  for (const std::string &call : r.pre_render.calls) {
    EXPECT_NE(call, "checkout_param(" + std::to_string(ColorSlotIndex(6)) + ")");
    EXPECT_NE(call, "checkout_param(" + std::to_string(ColorSlotIndex(4)) + ")");
  }
}

TEST(RenderFormats, UnknownPixelFormatLeavesOutputUntouched) {
  SetUpInstance s = MakeInstance();
  World input = TestPicture(8, 8, Depth::k8, 0);
  input.set_pixel_format(0x3f3f3f3f);  // no format the effect knows
  World output(8, 8, Depth::k8, 0);
  const World before = output;
  EXPECT_EQ(Render(s, input, output).err, 0);
  EXPECT_TRUE(output.SamePixels(before));
}

TEST(RenderTime, KeyframedOffsetRendersItsValueAtEachFrame) {
  SetUpInstance s = MakeInstance();
  s.instance->AddKeyframe(kInputRangeOffsetIndex, 0, host::ParamValue::Angle(0));
  s.instance->AddKeyframe(kInputRangeOffsetIndex, 60, host::ParamValue::Angle(360 * 65536));
  const World input = TestPicture(12, 6, Depth::k16, 4);
  for (A_long frame : {0, 15, 30, 60}) {
    World output(12, 6, Depth::k16, 4);
    ASSERT_EQ(Render(s, input, output, frame).err, 0);
    EXPECT_TRUE(output.SamePixels(ExpectedFrame(Look{.offset_degrees = 6.0 * frame}, input)))
        << frame;
  }
}

TEST(RenderRects, ResultRectsAreTheUnionWithTheInputCheckout) {
  SetUpInstance s = MakeInstance();
  const World input = TestPicture(20, 10, Depth::k8, 0);
  World output(20, 10, Depth::k8, 0);
  host::FrameRequest request{.instance = s.instance.get(),
                             .input = &input,
                             .output = &output,
                             .rect = PF_LRect{2, 3, 12, 8},
                             .initial_result_rect = {10, 1, 30, 4},
                             .initial_max_result_rect = {0, 0, 0, 0}};
  const host::FrameResult r = host::RenderFrame(*s.host, request);
  ASSERT_EQ(r.err, 0);
  const PF_LRect &result = r.pre_render_output.result_rect;
  EXPECT_EQ((std::array{result.left, result.top, result.right, result.bottom}),
            (std::array{2, 1, 30, 8}));
  const PF_LRect &max = r.pre_render_output.max_result_rect;
  EXPECT_EQ((std::array{max.left, max.top, max.right, max.bottom}), (std::array{0, 0, 20, 10}));
}

TEST(RenderRecord, RenderWithoutRecordIs512AndDroppedFramesFreeTheirRamps) {
  SetUpInstance s = MakeInstance();
  PF_SmartRenderInput input{};
  PF_SmartRenderExtra extra{&input, host::SmartRenderCallbacks()};
  EXPECT_EQ(s.instance->Send(PF_Cmd_SMART_RENDER, nullptr, &extra).err,
            PF_Err_INTERNAL_STRUCT_DAMAGED);
  // A frame the host drops after pre-render: the delete function frees the record, its ramps and
  // its level table (the leak checker of the sanitizer build sees it otherwise).
  const World picture = TestPicture(32, 32, Depth::k8, 0);
  World output(32, 32, Depth::k8, 0);
  host::FrameRequest request{
      .instance = s.instance.get(), .input = &picture, .output = &output, .skip_render = true};
  const host::FrameResult r = host::RenderFrame(*s.host, request);
  EXPECT_EQ(r.err, 0);
  EXPECT_TRUE(r.record_deleted);
  EXPECT_FALSE(r.rendered);
}

TEST(RenderThreads, ManyFramesOnManyThreadsGiveTheSinglethreadedPixels) {
  SetUpInstance s = MakeInstance({.iterate_threads = 3});
  const Look look{.input_range = kInputIntensity, .cycle_scale = 3, .smooth_wrap = true};
  ApplyLook(*s.instance, look);
  s.instance->AddKeyframe(kBlendWithOriginalIndex, 0, host::ParamValue::Float(0));
  s.instance->AddKeyframe(kBlendWithOriginalIndex, 8, host::ParamValue::Float(80));
  const World input = TestPicture(64, 48, Depth::k32, 16);
  std::vector<World> frames(8, World(64, 48, Depth::k32, 16));
  std::vector<std::thread> threads;
  for (int f = 0; f < 8; ++f) {
    threads.emplace_back([&, f] { EXPECT_EQ(Render(s, input, frames[f], f).err, 0); });
  }
  for (auto &t : threads) t.join();
  for (int f = 0; f < 8; ++f) {
    Look at = look;
    at.blend = 10.0 * f;
    EXPECT_TRUE(frames[f].SamePixels(ExpectedFrame(at, input))) << f;
  }
}

}  // namespace
}  // namespace huewarp::testing
