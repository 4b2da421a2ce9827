// The host's model of an effect instance: value streams over time, the parameter array and
// checkouts (also from several threads), duplication, and refusing what is not a project.
#include <atomic>
#include <stdexcept>
#include <thread>

#include "AE_GeneralPlug.h"
#include "host/instance/project.h"
#include "host/ui/interact_callbacks.h"
#include "instance_fixture.h"
#include "core/param_layout.h"

namespace huewarp::testing {
namespace {

using host::ArbHandle;
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

TEST(InstanceCheckout, ValuesAtAnyTimeAndCheckInsOnlyRecorded) {
  SetUpInstance s = MakeInstance();
  AddKeyframes(*s.instance, kStreamCases[0]);
  const PF_InteractCallbacks &inter = host::InteractCallbacks();
  InCommand(s, [&](PF_ProgPtr ref, host::CommandContext &context) {
    PF_ParamDef position{}, record{}, stray{};
    ASSERT_EQ(inter.checkout_param(ref, PositionSlotIndex(1), 40, 1, 60, &position), 0);
    EXPECT_EQ(position.u.fs_d.value, 20.0) << "tick 40 at 60 per second is tick 20 at 30";
    EXPECT_STREQ(position.name, "Position 1");
    ASSERT_EQ(inter.checkout_param(ref, kArbDataIndex, 0, 1, 30, &record), 0);
    EXPECT_EQ(record.u.arb_d.value, s.instance->Records().Value(kArbDataIndex));
    EXPECT_EQ(inter.checkout_param(ref, kNumParams, 0, 1, 30, &stray), PF_Err_INVALID_INDEX);
    EXPECT_EQ(inter.checkin_param(ref, &position), 0);
    EXPECT_TRUE(context.ledger.TakeViolations().empty()) << "a missing check-in is no fault";
    EXPECT_EQ(inter.checkin_param(ref, &stray), 0);
    EXPECT_EQ(context.ledger.TakeViolations().size(), 1u) << "checking in what was never out";
    s.host->Faults().Arm({.match = "checkout_param", .code = 93});
    EXPECT_EQ(inter.checkout_param(ref, PositionSlotIndex(1), 0, 1, 30, &position), 93);
  });
  EXPECT_EQ(s.instance->Checkouts(), 2);
  EXPECT_EQ(s.instance->Checkins(), 2);
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

/// Sets every kind of state a project keeps.
void ChangeEverything(SetUpInstance &s) {
  host::Instance &in = *s.instance;
  ASSERT_EQ(in.SetValue(kInputRangeIndex, ParamValue::Int(7)), 0);
  ASSERT_EQ(in.SetValue(kInputRangeOffsetIndex, ParamValue::Angle(-123456)), 0);
  ASSERT_EQ(in.SetValue(kColorIndex, ParamValue::Color(PF_PixelFloat{1, 0.1f, 2.5f, -0.25f})), 0);
  ASSERT_EQ(in.SetValue(kCycleScaleIndex, ParamValue::Float(1.0 / 3)), 0);
  ASSERT_EQ(in.AddKeyframe(PositionSlotIndex(3), 0, ParamValue::Float(10)), 0);
  ASSERT_EQ(in.AddKeyframe(PositionSlotIndex(3), 30, ParamValue::Float(90)), 0);
  ASSERT_EQ(in.AddKeyframe(ColorSlotIndex(2), 15, ParamValue::Color(PF_Pixel{255, 1, 2, 3})), 0);
  ASSERT_EQ(in.SetDynamicStreamFlag(ColorSlotIndex(9), AEGP_DynStreamFlag_HIDDEN, true), 0);
  ASSERT_EQ(in.SetDynamicStreamFlag(kFlagsInitializedIndex, AEGP_DynStreamFlag_HIDDEN, true), 0);
  const PF_ArbitraryH record = in.Records().Value(kArbDataIndex);
  SetField(*s.host, record, 0, std::uint16_t{7});
  SetField(*s.host, record, 24, 33.333333333);
}

void ExpectSameState(host::Instance &a, host::Instance &b) {
  ASSERT_EQ(a.ParamCount(), b.ParamCount());
  for (PF_ParamIndex i = 1; i < a.ParamCount(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a.DynamicStreamFlags(i), b.DynamicStreamFlags(i));
    const auto sa = a.Stream(i), sb = b.Stream(i);
    ASSERT_EQ(sa.has_value(), sb.has_value());
    if (!sa) continue;
    EXPECT_EQ(sa->constant(), sb->constant());
    ASSERT_EQ(sa->keyframes().size(), sb->keyframes().size());
    for (std::size_t k = 0; k < sa->keyframes().size(); ++k) {
      EXPECT_EQ(host::CompareTimes(sa->keyframes()[k].time, sb->keyframes()[k].time), 0);
      EXPECT_EQ(sa->keyframes()[k].value, sb->keyframes()[k].value);
    }
  }
  EXPECT_EQ(HandleBytes(a.host(), a.Records().Value(kArbDataIndex)),
            HandleBytes(b.host(), b.Records().Value(kArbDataIndex)));
}

TEST(InstanceLifecycle, DuplicateCopiesStateAndRecordsIndependently) {
  SetUpInstance s = MakeInstance();
  ChangeEverything(s);
  const int live = s.host->Handles().LiveCount();
  std::unique_ptr<host::Instance> twin;
  ASSERT_EQ(s.instance->Duplicate(&twin), 0);
  ExpectSameState(*s.instance, *twin);
  EXPECT_EQ(s.host->Handles().LiveCount(), live + 2) << "a default and a value of its own";
  EXPECT_NE(twin->Records().Value(kArbDataIndex), s.instance->Records().Value(kArbDataIndex));
  SetField(*s.host, s.instance->Records().Value(kArbDataIndex), 0, std::uint16_t{8});
  EXPECT_EQ(Field<std::uint16_t>(HandleBytes(*s.host, twin->Records().Value(kArbDataIndex)), 0), 7);
  twin.reset();
  EXPECT_EQ(s.host->Handles().LiveCount(), live) << "a dropped instance disposes its records";
  s.instance.reset();
  EXPECT_EQ(s.host->Handles().LiveCount(), 1);
}

TEST(InstanceProject, RefusesWhatIsNotAProjectOfThisEffect) {
  SetUpInstance s = MakeInstance();
  std::vector<std::uint8_t> good;
  ASSERT_EQ(host::SaveProject(*s.instance, &good), 0);
  auto with = [&](std::size_t offset, std::uint8_t byte) {
    std::vector<std::uint8_t> b = good;
    b[offset] = byte;
    return b;
  };
  const std::vector<std::uint8_t> bad[] = {{},
                                           {good.begin(), good.end() - 1},
                                           with(0, 'X'),
                                           with(4, 2),
                                           with(16, 0xFF) /* the first identifier */};
  for (const auto &bytes : bad) {
    EXPECT_THROW(host::LoadProject(*s.instance, bytes), std::runtime_error) << bytes.size();
  }
  std::vector<std::uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_THROW(host::LoadProject(*s.instance, longer), std::runtime_error);
}

}  // namespace
}  // namespace huewarp::testing
