// From pointer to picture: a new instance is drawn, a seven-stop gradient is built with clicks
// and drags on its ColorGrid control, a frame is rendered, the project is saved and loaded into
// a fresh host, and the frame rendered there is the same, and the one the built gradient gives.
#include <gtest/gtest.h>

#include <vector>

#include "gesture_fixture.h"
#include "host/render/frame.h"
#include "host/instance/project.h"

namespace huewarp::testing {
namespace {

using host::Depth;
using host::World;

World Render(SetUpInstance &s, const World &input) {
  World output(input.width(), input.height(), input.depth(), 8);
  host::FrameRequest request;
  request.instance = s.instance.get();
  request.input = &input;
  request.output = &output;
  EXPECT_EQ(host::RenderFrame(*s.host, request).err, 0);
  return output;
}

// Pixels below the control's top for the positions 30, 70 and 90.
constexpr int kAt30 = 81, kAt70 = 189, kAt90 = 243;

TEST(EditorEndToEnd, GradientBuiltByGesturesRendersTheSameAfterSaveAndLoad) {
  SetUpInstance s = MakeInstance();
  ASSERT_EQ(Draw(s).command.err, 0);
  auto gesture = [&](PF_Point point, std::vector<PF_Point> drags = {}) {
    ASSERT_EQ(Gesture(s, point, std::move(drags)).err, 0);
  };
  // Slot 6 appears at 0 under stop 1, and as the higher slot it is the one grabbed there.
  gesture(kColorPlus);
  gesture(StopMarker(0), {At(60, 150), At(60, kAt30)});
  // Slot 7 appears at 25 under stop 2.
  gesture(kColorPlus);
  gesture(StopMarker(68), {At(60, kAt70)});
  gesture(StopMarker(203), {At(60, kAt90)});
  // Stop 3 goes and comes back as the lowest free slot, where it was.
  gesture(StopMarker(135));
  gesture(kColorMinus);
  EXPECT_TRUE(s.instance->IsHidden(ColorSlotIndex(3)));
  gesture(kColorPlus);

  const double positions[] = {0, 25, 50, 90, 100, 30, 70};
  for (int n = 1; n <= kMaxSlots; ++n) {
    ASSERT_EQ(s.instance->IsHidden(ColorSlotIndex(n)), n > 7) << n;
    ASSERT_EQ(s.instance->IsHidden(AlphaValueSlotIndex(n)), n > 7) << n;
    if (n > 7) continue;
    EXPECT_EQ(Float(s, PositionSlotIndex(n)), positions[n - 1]) << n;
    EXPECT_EQ(Float(s, AlphaPositionSlotIndex(n)), positions[n - 1]) << n;
  }

  Look built;
  const std::vector<TestStop> palette = built.stops;
  built.stops.clear();
  built.alphas.clear();
  for (int n = 1; n <= 7; ++n) {
    TestStop stop = palette[(n - 1) % 5];
    stop.position = positions[n - 1];
    built.stops.push_back(stop);
    built.alphas.push_back({positions[n - 1], 100});
  }

  std::vector<std::uint8_t> project;
  ASSERT_EQ(host::SaveProject(*s.instance, &project), 0);
  SetUpInstance loaded = MakeInstance();
  ASSERT_EQ(host::LoadProject(*loaded.instance, project), 0);

  for (Depth depth : {Depth::k8, Depth::k32}) {
    const World input = TestPicture(29, 19, depth, 4);
    const World before = Render(s, input);
    const World after = Render(loaded, input);
    EXPECT_TRUE(before.SamePixels(after)) << static_cast<int>(depth);
    EXPECT_TRUE(before.SamePixels(ExpectedFrame(built, input))) << static_cast<int>(depth);
  }
}

}  // namespace
}  // namespace huewarp::testing
