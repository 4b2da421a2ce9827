// Parameter setup through EffectMain: the Premiere Pro variant, and what each kind of refusal
// leaves the host holding. The rows themselves are what every other test runs on.
#include <string>

#include "instance_fixture.h"
#include "core/param_layout.h"

namespace huewarp::testing {
namespace {

using host::FaultKind;

TEST(ParamsSetup, PremiereDeclaresOutputRangeAsRecordlessArbitraryData) {
  SetUpInstance s = MakeInstance({.appl_id = host::kPremierePro});
  ASSERT_EQ(s.setup.err, 0);
  const PF_ParamDef output = s.instance->Definition(kOutputRangeIndex);
  EXPECT_EQ(output.param_type, PF_Param_ARBITRARY_DATA);
  EXPECT_EQ(output.flags, 0);
  EXPECT_EQ(output.ui_flags, PF_PUI_CONTROL);
  EXPECT_EQ(output.ui_width, 30);
  EXPECT_EQ(output.ui_height, 280);
  EXPECT_EQ(output.u.arb_d.id, 4);
  EXPECT_EQ(output.u.arb_d.dephault, nullptr);
  EXPECT_EQ(output.u.arb_d.value, nullptr);
  EXPECT_EQ(output.u.arb_d.refconPV, nullptr);
  EXPECT_EQ(s.instance->Records().Value(kOutputRangeIndex), nullptr);
  EXPECT_NE(s.instance->Records().Value(kArbDataIndex), nullptr);
}

/// Handles the instance holds: the declared default and the value of each record parameter.
int HeldHandles(host::Instance &in) {
  int held = 0;
  for (int i = 0; i < in.ParamCount(); ++i) {
    held +=
        in.Definition(i).param_type == PF_Param_ARBITRARY_DATA && in.Definition(i).u.arb_d.dephault;
    held += in.Records().Value(i) != nullptr;
  }
  return held;
}

struct FailureCase {
  const char *label;
  host::FaultRule fault;
  PF_Err err;
  A_long num_params;
  /// Parameters the host holds (the layer included) and add_param calls made.
  int held, adds;
  bool record;
};

host::FaultRule Refuse(int nth) { return {.match = "add_param", .occurrence = nth, .code = 91}; }
host::FaultRule Fail(const char *op, FaultKind kind) {
  return {.match = op, .kind = kind, .code = 92};
}

const FailureCase kFailures[] = {
    {"first parameter refused", Refuse(1), 91, 0, 1, 1, false},
    {"Output Range refused", Refuse(5), 91, 0, 5, 5, false},
    {"a slot refused", Refuse(300), 91, 0, 300, 300, false},
    {"ArbData refused", Refuse(421), 91, 0, 421, 421, false},
    {"group start refused", Refuse(14), 0, 422, 421, 421, true},
    {"group end refused", Refuse(417), 0, 422, 421, 421, true},
    {"register_ui fails", Fail("register_ui", FaultKind::kError), 92, 422, 422, 421, false},
    {"no handle for the record", Fail("host_new_handle", FaultKind::kNull), 4, 422, 422, 421,
     false},
    {"record cannot be locked", Fail("host_lock_handle", FaultKind::kNull), 4, 422, 422, 421,
     false},
};

TEST(ParamsSetupFailures, EachFailureAsTheHostSeesIt) {
  for (const FailureCase &c : kFailures) {
    SCOPED_TRACE(c.label);
    auto h = MakeHost();
    h->GlobalSetup();
    h->Faults().Arm(c.fault);
    host::Instance in(*h);
    const host::CommandResult r = in.Setup();
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out.num_params, c.num_params);
    EXPECT_EQ(in.ParamCount(), c.held);
    EXPECT_EQ(CountCalls(r, "add_param"), c.adds) << "a refused parameter ends the declaration";
    const PF_ParamIndex arb = in.IndexOfId(419);
    EXPECT_EQ(arb > 0 && in.Definition(arb).u.arb_d.dephault, c.record);
    EXPECT_EQ(in.CustomUi().has_value(), c.held > kOutputRangeIndex && c.err != 92);
    EXPECT_EQ(h->Handles().LiveCount(), 1 + HeldHandles(in)) << "a record not handed over leaks";
  }
}

}  // namespace
}  // namespace huewarp::testing
