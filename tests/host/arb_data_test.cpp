// The ArbData record through EffectMain: its stored bytes, the host's arbitrary-data requests at
// their edges and round trips. The fuzz target checks every request's exact answer, foreign
// refcons included; the fault sweep fails each host call.
#include <string>

#include "instance_fixture.h"
#include "core/param_layout.h"

namespace huewarp::testing {
namespace {

using host::ArbHandle;
using host::Instance;

constexpr PF_ParamIndex kArb = kArbDataIndex;

/// The default record as stored: four u16 slot fields, last_color as four f32 (1, 0.15, 0.2, 1),
/// three f64 (50, 50, 100), last_lock 1 and seven zero bytes.
std::vector<std::uint8_t> DefaultRecordBytes() {
  return {3,    0,    3,    0,    5,    0,    5, 0, 0,    0,    0x80, 0x3f, 0x9a, 0x99,
          0x19, 0x3e, 0xcd, 0xcc, 0x4c, 0x3e, 0, 0, 0x80, 0x3f, 0,    0,    0,    0,
          0,    0,    0x49, 0x40, 0,    0,    0, 0, 0,    0,    0x49, 0x40, 0,    0,
          0,    0,    0,    0,    0x59, 0x40, 1, 0, 0,    0,    0,    0,    0,    0};
}

/// A copy of the instance's record with every field changed, current_handle to `current`.
ArbHandle ChangedRecord(SetUpInstance &s, std::uint16_t current) {
  ArbHandle copy;
  EXPECT_EQ(s.instance->Records().Copy(kArb, s.instance->Records().Value(kArb), &copy), 0);
  SetField(*s.host, copy.get(), 0, current);
  for (std::size_t offset : {2, 4, 6}) SetField(*s.host, copy.get(), offset, std::uint16_t{9});
  for (std::size_t offset : {8, 12, 16, 20}) SetField(*s.host, copy.get(), offset, 0.5f);
  for (std::size_t offset : {24, 32, 40}) SetField(*s.host, copy.get(), offset, 12.25);
  SetField(*s.host, copy.get(), 48, std::uint8_t{0});
  return copy;
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

TEST(ArbData, CompareLooksAtTheCurrentStopOnly) {
  SetUpInstance s = MakeInstance();
  const PF_ArbitraryH value = s.instance->Records().Value(kArb);
  struct Case {
    const char *label;
    std::uint16_t current;
    PF_ArbCompareResult expected;
  };
  for (const Case &c : {Case{"every other field differs", 3, PF_ArbCompare_EQUAL},
                        Case{"the current stop differs", 4, PF_ArbCompare_NOT_EQUAL}}) {
    SCOPED_TRACE(c.label);
    ArbHandle other = ChangedRecord(s, c.current);
    PF_ArbCompareResult result = 99;
    EXPECT_EQ(s.instance->Records().Compare(kArb, value, other.get(), &result), 0);
    EXPECT_EQ(result, c.expected);
  }
  PF_ArbCompareResult result = 99;
  EXPECT_EQ(s.instance->Records().Compare(kArb, value, nullptr, &result), 0);
  EXPECT_EQ(result, PF_ArbCompare_EQUAL) << "a missing record compares equal";
}

TEST(ArbData, PrintNeedsPlainFlagsAnd512Bytes) {
  SetUpInstance s = MakeInstance();
  ArbHandle record42 = ChangedRecord(s, 42);
  struct Case {
    PF_ArbPrintFlags flags;
    A_u_long size;
    bool record42;
    /// Null: the buffer is left as it was.
    const char *text;
  };
  for (const Case &c :
       {Case{0, 512, false, "current_handle=3\t"}, Case{0, 4096, true, "current_handle=42\t"},
        Case{0, 511, false, ""}, Case{PF_ArbPrint_ABBREVIATED, 512, false, ""},
        Case{8, 4096, false, ""}, Case{0, 0, false, nullptr}}) {
    SCOPED_TRACE(std::to_string(c.flags) + "/" + std::to_string(c.size));
    std::vector<A_char> buffer(4096, 'x');
    buffer.back() = '\0';
    PF_ArbParamsExtra request = s.instance->Records().Request(kArb, PF_Arbitrary_PRINT_FUNC);
    request.u.print_func_params.print_flags = c.flags;
    request.u.print_func_params.arbH =
        c.record42 ? record42.get() : s.instance->Records().Value(kArb);
    request.u.print_func_params.print_sizeLu = c.size;
    request.u.print_func_params.print_bufferPC = buffer.data();
    EXPECT_EQ(s.instance->Records().Send(request).err, 0);
    EXPECT_EQ(std::string(buffer.data()), c.text ? c.text : std::string(4095, 'x'));
  }
  std::string text;
  EXPECT_EQ(s.instance->Records().Print(kArb, s.instance->Records().Value(kArb), 0, &text), 0);
  EXPECT_EQ(text, "current_handle=3\t") << "the size the effect asks for is enough";
}

TEST(ArbData, FlattenAndUnflattenOnlyAt56Bytes) {
  SetUpInstance s = MakeInstance();
  ArbHandle record = ChangedRecord(s, 7);
  const std::vector<std::uint8_t> stored = HandleBytes(*s.host, record.get());
  for (A_u_long size : {55u, 56u, 57u}) {
    SCOPED_TRACE(size);
    std::vector<std::uint8_t> buffer(64, 0xEE);
    PF_ArbParamsExtra flatten = s.instance->Records().Request(kArb, PF_Arbitrary_FLATTEN_FUNC);
    flatten.u.flatten_func_params.arbH = record.get();
    flatten.u.flatten_func_params.buf_sizeLu = size;
    flatten.u.flatten_func_params.flat_dataPV = buffer.data();
    EXPECT_EQ(s.instance->Records().Send(flatten).err, 0);
    const std::vector<std::uint8_t> head(buffer.begin(), buffer.begin() + 56);
    EXPECT_EQ(head, size == 56 ? stored : std::vector<std::uint8_t>(56, 0xEE));

    const int live = s.host->Handles().LiveCount();
    ArbHandle back;
    std::vector<std::uint8_t> flat = stored;
    flat.resize(size);
    EXPECT_EQ(s.instance->Records().Unflatten(kArb, flat, &back), 0);
    EXPECT_EQ(static_cast<bool>(back), size == 56);
    if (back) {
      EXPECT_EQ(HandleBytes(*s.host, back.get()), stored);
    }
    back.Reset();
    EXPECT_EQ(s.host->Handles().LiveCount(), live);
  }
}

TEST(ArbData, ScanMakesNoRecordAndUnknownRequestsAnswerZero) {
  SetUpInstance s = MakeInstance();
  ArbHandle scanned;
  EXPECT_EQ(s.instance->Records().Scan(kArb, "current_handle=5\t", &scanned), 0);
  EXPECT_FALSE(scanned);
  for (PF_FunctionSelector which : {PF_FunctionSelector{PF_Arbitrary_INTERP_FUNC}, 11, 99, -1}) {
    PF_ArbParamsExtra request = s.instance->Records().Request(kArb, which);
    EXPECT_EQ(s.instance->Records().Send(request).err, 0) << which;
  }
}

}  // namespace
}  // namespace huewarp::testing
