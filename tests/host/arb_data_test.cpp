// The ArbData record through EffectMain: its stored bytes, however it is made. The fuzz target
// checks every request's exact answer (compare, print, flatten, scan, foreign refcons); the
// fault sweep fails each host call.
#include <vector>

#include "core/param_layout.h"
#include "instance_fixture.h"

namespace huewarp::testing {
namespace {

using host::ArbHandle;

constexpr PF_ParamIndex kArb = kArbDataIndex;

/// The default record as stored: four u16 slot fields, last_color as four f32 (1, 0.15, 0.2, 1),
/// three f64 (50, 50, 100), last_lock 1 and seven zero bytes.
std::vector<std::uint8_t> DefaultRecordBytes() {
  return {3,    0,    3,    0,    5,    0,    5, 0, 0,    0,    0x80, 0x3f, 0x9a, 0x99,
          0x19, 0x3e, 0xcd, 0xcc, 0x4c, 0x3e, 0, 0, 0x80, 0x3f, 0,    0,    0,    0,
          0,    0,    0x49, 0x40, 0,    0,    0, 0, 0,    0,    0x49, 0x40, 0,    0,
          0,    0,    0,    0,    0x59, 0x40, 1, 0, 0,    0,    0,    0,    0,    0};
}

TEST(ArbData, EveryWayToMakeARecordGivesTheDefaultBytes) {
  SetUpInstance s = MakeInstance();
  ArbHandle fresh, copy_of_nothing;
  ASSERT_EQ(s.instance->Records().New(kArb, &fresh), 0);
  ASSERT_EQ(s.instance->Records().Copy(kArb, nullptr, &copy_of_nothing), 0);
  const PF_ArbitraryH made[] = {s.instance->Definition(kArb).u.arb_d.dephault,
                                s.instance->Records().Value(kArb), fresh.get(),
                                copy_of_nothing.get()};
  for (PF_ArbitraryH record : made) {
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(HandleBytes(*s.host, record), DefaultRecordBytes());
  }
  EXPECT_NE(made[0], made[1]) << "the instance's value is its own copy of the default";
}

}  // namespace
}  // namespace huewarp::testing
