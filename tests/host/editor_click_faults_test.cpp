// Every host call of a click failed in turn, once and for good, as an error and, for calls that
// hand something back, as a null: the click returns the first error (or succeeds with the clean
// run's slots and record when the failed call's result is not looked at), the ledger balances
// (an undo group counts), and the host's history is never left open.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "gesture_fixture.h"

namespace huewarp::testing {
namespace {

using host::FaultKind;

struct FaultCase {
  const char *name;
  EditorState state;
  PF_Point point;
};
void PrintTo(const FaultCase &c, std::ostream *os) { *os << c.name; }

/// What a click leaves that must not depend on a failure whose result is dropped.
struct Outcome {
  std::vector<AEGP_DynStreamFlags> flags;
  std::vector<std::uint8_t> record;
  bool operator==(const Outcome &) const = default;
};

/// One instance per scenario, put back to its starting state before every click.
class ClickRunner {
 public:
  explicit ClickRunner(const FaultCase &c) : c_(c), s_(Editor(c.state)) {
    for (PF_ParamIndex i = 1; i < s_.instance->ParamCount(); ++i) {
      streams_.push_back(s_.instance->Stream(i));
      flags_.push_back(s_.instance->DynamicStreamFlags(i));
    }
    record_ = HandleBytes(*s_.host, s_.instance->ArbitraryValue(kArbDataIndex));
  }

  host::CommandResult Run(const host::FaultRule *rule) {
    Restore();
    MoveMouse(s_, c_.point);
    s_.host->Faults().Reset();
    if (rule) s_.host->Faults().Arm(*rule);
    host::EventResult r = host::SendEvent(*s_.instance, host::ClickEvent(kFrame, c_.point));
    handled_ = r.extra.evt_out_flags == PF_EO_HANDLED_EVENT;
    return r.command;
  }

  Outcome Left() {
    Outcome o;
    for (PF_ParamIndex i = 1; i < s_.instance->ParamCount(); ++i) {
      o.flags.push_back(s_.instance->DynamicStreamFlags(i));
    }
    o.record = HandleBytes(*s_.host, s_.instance->ArbitraryValue(kArbDataIndex));
    return o;
  }
  bool handled() const { return handled_; }
  bool HistoryOpen() { return s_.instance->History().StepOpen(); }
  int Fired() { return s_.host->Faults().Fired(); }

 private:
  void Restore() {
    s_.instance->History().Clear();
    for (PF_ParamIndex i = 1; i < s_.instance->ParamCount(); ++i) {
      if (streams_[i - 1]) s_.instance->SetStream(i, *streams_[i - 1]);
      s_.instance->SetDynamicStreamFlag(i, ~flags_[i - 1], false);
      s_.instance->SetDynamicStreamFlag(i, flags_[i - 1], true);
    }
    SetArbBytes();
  }
  void SetArbBytes() {
    std::copy(record_.begin(), record_.end(),
              static_cast<std::uint8_t *>(
                  s_.host->Handles().Data(s_.instance->ArbitraryValue(kArbDataIndex))));
  }

  const FaultCase &c_;
  SetUpInstance s_;
  std::vector<std::optional<host::ParamStream>> streams_;
  std::vector<AEGP_DynStreamFlags> flags_;
  std::vector<std::uint8_t> record_;
  bool handled_ = false;
};

/// The error a failed call must surface as; 0 for calls whose failure the click drops.
PF_Err Expected(const std::string &op, FaultKind kind) {
  if (op.starts_with("ReleaseSuite") || op == "host_unlock_handle" || op == "AEGP_SetStreamValue") {
    return 0;
  }
  if (op.starts_with("AcquireSuite(PF ColorParamSuite")) return A_Err_MISSING_SUITE;
  if (op.starts_with("AcquireSuite")) return PF_Err_BAD_CALLBACK_PARAM;
  if (op == "host_lock_handle") return PF_Err_OUT_OF_MEMORY;
  return kind == FaultKind::kNull ? PF_Err_BAD_CALLBACK_PARAM : 77;
}

bool HandsBack(const std::string &op) {
  return op.starts_with("AcquireSuite") || op == "host_lock_handle" ||
         op.starts_with("AEGP_GetNew");
}

class ClickSweep : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ClickSweep, EachHostCallFailedInTurn) {
  ClickRunner runner(GetParam());
  const host::CommandResult clean = runner.Run(nullptr);
  ASSERT_EQ(clean.err, 0);
  const Outcome clean_outcome = runner.Left();
  const std::vector<std::string> &calls = clean.calls;
  ASSERT_GT(calls.size(), 30u);

  for (std::size_t i = 0; i < calls.size(); ++i) {
    const std::string &op = calls[i];
    const int occurrence =
        static_cast<int>(std::count(calls.begin(), calls.begin() + static_cast<long>(i) + 1, op));
    // The stream calls of the colour refreshes belong to a write whose result is not used.
    const bool refresh = (op == "AEGP_GetNewEffectStreamByIndex" && i + 1 < calls.size() &&
                          calls[i + 1] == "AEGP_SetStreamValue") ||
                         (op == "AEGP_DisposeStream" && calls[i - 1] == "AEGP_SetStreamValue");
    for (FaultKind kind : {FaultKind::kError, FaultKind::kNull}) {
      if (kind == FaultKind::kNull && !HandsBack(op)) continue;
      for (bool persistent : {false, true}) {
        SCOPED_TRACE(op + " #" + std::to_string(occurrence) + (persistent ? " persistent" : "") +
                     (kind == FaultKind::kNull ? " null" : ""));
        const host::FaultRule rule{.match = op,
                                   .occurrence = occurrence,
                                   .kind = kind,
                                   .code = 77,
                                   .persistent = persistent};
        const host::CommandResult r = runner.Run(&rule);
        ASSERT_GE(runner.Fired(), 1);
        EXPECT_FALSE(runner.HistoryOpen());
        const PF_Err expected = Expected(op, kind);
        if (r.err == 0) {
          EXPECT_TRUE(expected == 0 || refresh) << "a failure went unreported";
          EXPECT_TRUE(runner.Left() == clean_outcome);
          EXPECT_TRUE(runner.handled());
        } else {
          EXPECT_EQ(r.err, expected);
          EXPECT_FALSE(runner.handled());
        }
        if (r.err == A_Err_MISSING_SUITE) {
          EXPECT_STREQ(r.out.return_msg, "Not able to acquire AEFX Suite.");
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Editor, ClickSweep,
    ::testing::Values(FaultCase{"AddColorLocked", {.lock = true}, kColorPlus},
                      FaultCase{"RemoveColorLocked", {.lock = true}, kColorMinus},
                      FaultCase{"RemoveAlphaUnlocked", {.lock = false}, kAlphaMinus},
                      FaultCase{"GrabHandleLocked", {.lock = true}, HandleMarker(203)}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace huewarp::testing
