// The host's model of an effect instance as the tool drives it: value streams over time and the
// parameter array, and checkouts from render threads while the user changes values.
#include <atomic>
#include <cstring>
#include <thread>

#include "AE_GeneralPlug.h"
#include "host/ui/interact_callbacks.h"
#include "instance_fixture.h"
#include "core/param_layout.h"

namespace huewarp::testing {
namespace {

using host::ParamValue;
using host::StreamTime;

struct StreamCase {
  const char *label;
  PF_ParamIndex index;
  ParamValue first, last, middle;
};

const StreamCase kStreamCases[] = {
    {"float slider", PositionSlotIndex(1), ParamValue::Float(10), ParamValue::Float(30),
     ParamValue::Float(20)},
    {"angle", kInputRangeOffsetIndex, ParamValue::Angle(0), ParamValue::Angle(90 << 16),
     ParamValue::Angle(45 << 16)},
    {"colour", ColorSlotIndex(1), ParamValue::Color(PF_PixelFloat{1, 0, 0, 0}),
     ParamValue::Color(PF_PixelFloat{1, 1, 0.5f, 0}),
     ParamValue::Color(PF_PixelFloat{1, 0.5f, 0.25f, 0})},
    {"popup", kInputRangeIndex, ParamValue::Int(2), ParamValue::Int(5), ParamValue::Int(2)},
    {"checkbox", kSmoothWrapIndex, ParamValue::Int(0), ParamValue::Int(1), ParamValue::Int(0)},
};

/// Keyframes at ticks 10 and 30 of the instance's time scale (30 per second).
void AddKeyframes(host::Instance &in, const StreamCase &c) {
  ASSERT_EQ(in.AddKeyframe(c.index, 30, c.last), 0);
  ASSERT_EQ(in.AddKeyframe(c.index, 10, c.first), 0);
}

TEST(InstanceStreams, InterpolateOrHoldByKind) {
  SetUpInstance s = MakeInstance();
  for (const StreamCase &c : kStreamCases) {
    SCOPED_TRACE(c.label);
    const ParamValue constant = s.instance->ValueAt(c.index, 0);
    EXPECT_EQ(s.instance->ValueAt(c.index, 1000), constant) << "no keyframes: constant";
    AddKeyframes(*s.instance, c);
    const bool holds = c.middle == c.first;
    EXPECT_EQ(s.instance->ValueAt(c.index, 0), c.first) << "held before the first";
    EXPECT_EQ(s.instance->ValueAt(c.index, 10), c.first);
    EXPECT_EQ(s.instance->ValueAt(c.index, 20), c.middle);
    if (holds) {
      EXPECT_EQ(s.instance->ValueAt(c.index, 29), c.first);
    }
    EXPECT_EQ(s.instance->ValueAt(c.index, 30), c.last);
    EXPECT_EQ(s.instance->ValueAt(c.index, 99), c.last) << "held after the last";
    EXPECT_EQ(s.instance->ValueAt(c.index, StreamTime{2, 3}), c.middle) << "2/3 s is tick 20";
  }
  // The array a command receives carries the values at the command's time.
  host::ParamArray params = s.instance->Params(20);
  ASSERT_EQ(params.size(), 422);
  EXPECT_EQ(params[0].param_type, PF_Param_LAYER);
  EXPECT_EQ(params[PositionSlotIndex(1)].u.fs_d.value, 20.0);
  EXPECT_EQ(params[kInputRangeOffsetIndex].u.ad.value, 45 << 16);
  const PF_Pixel expected{255, 128, 64, 0};
  EXPECT_EQ(std::memcmp(&params[ColorSlotIndex(1)].u.cd.value, &expected, 4), 0);
  EXPECT_EQ(params[kInputRangeIndex].u.pd.value, 2);
  EXPECT_EQ(params[kArbDataIndex].u.arb_d.value, s.instance->Records().Value(kArbDataIndex));
  EXPECT_EQ(params[PositionSlotIndex(1)].uu.change_flags, 0);
}

/// Runs `body` as if inside a command of the instance, on the calling thread.
template <class Body>
void InCommand(SetUpInstance &s, Body body) {
  host::CommandContext context;
  context.host = s.host.get();
  context.instance = s.instance.get();
  context.cmd = PF_Cmd_SMART_PRE_RENDER;
  host::CommandScope scope(&context);
  body(reinterpret_cast<PF_ProgPtr>(&context), context);
}

// Render threads check parameters out while the user-interface thread changes others.
TEST(InstanceCheckout, ConcurrentCheckoutsSeeConsistentValues) {
  SetUpInstance s = MakeInstance();
  AddKeyframes(*s.instance, kStreamCases[0]);
  std::atomic<bool> done = false;
  std::thread ui([&] {
    for (int i = 0; !done; ++i) {
      s.instance->SetDynamicStreamFlag(ColorSlotIndex(1 + i % 100), AEGP_DynStreamFlag_HIDDEN,
                                       i % 2);
      s.instance->SetValue(kCycleScaleIndex, ParamValue::Float(1 + i % 7));
    }
  });
  std::vector<std::thread> renders;
  std::atomic<int> wrong = 0;
  for (int t = 0; t < 4; ++t) {
    renders.emplace_back([&, t] {
      InCommand(s, [&](PF_ProgPtr ref, host::CommandContext &) {
        for (int i = 0; i < 2000; ++i) {
          PF_ParamDef def{};
          const A_long tick = 10 + 5 * ((i + t) % 5);
          host::InteractCallbacks().checkout_param(ref, PositionSlotIndex(1), tick, 1, 30, &def);
          wrong += def.u.fs_d.value != static_cast<double>(tick);
        }
      });
    });
  }
  for (auto &render : renders) render.join();
  done = true;
  ui.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(s.instance->Checkouts(), 8000);
}

}  // namespace
}  // namespace huewarp::testing
