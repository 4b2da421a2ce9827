// Every command the effect handles, in the states that matter, with each host call of a clean run
// failed in turn: once and for good, as an error and, for calls that hand something back, as a
// null. Each run starts from a fresh state and must return the first error (or the code the effect
// gives for that failure), balance its ledger and leave the ArbData record intact. Labels repeated
// hundreds of times (draw fills, parameter declarations) are sampled to keep the sweep short.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gesture_fixture.h"
#include "host/core/allocation_gate.h"
#include "host/render/frame.h"
#include "render_fixture.h"
#include "shell/suites.h"

namespace huewarp::testing {
namespace {

using host::Depth;
using host::FaultKind;
using host::World;

constexpr PF_Err kInjected = 77;
constexpr PF_ParamIndex kArb = kArbDataIndex;

/// What a scenario holds from its setup into its run. Members go in reverse order, so records
/// are disposed of through the instance before it goes.
struct State {
  SetUpInstance s;
  std::vector<host::ArbHandle> records;
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<World> input, output;
};

struct Outcome {
  PF_Err err = 0;
  std::string message;
};
Outcome Of(const host::CommandResult &r) { return {r.err, r.out.return_msg}; }

struct Scenario {
  std::string name;
  std::function<State()> setup;
  std::function<Outcome(State &)> run;
};

State Fresh(host::HostOptions options = {}) { return {MakeInstance(options)}; }
State HostOnly(int32_t appl) { return {SetUpInstance{MakeHost({.appl_id = appl})}}; }
State EditorAt(const EditorState &editor, PF_Point pointer = kNowhere) {
  State st{Editor(editor)};
  MoveMouse(st.s, pointer);
  return st;
}

PF_ArbitraryH Value(State &st) { return st.s.instance->Records().Value(kArb); }

Outcome Event(State &st, const host::EventRequest &request) {
  return Of(host::SendEvent(*st.s.instance, request).command);
}

Outcome UserChanged(State &st, PF_ParamIndex index) {
  host::ParamArray params = st.s.instance->Params(0);
  host::UserChangedParamExtra extra{index};
  return Of(st.s.instance->Send(PF_Cmd_USER_CHANGED_PARAM, &params, &extra));
}

/// The user flips the lock from `!on` to `on`; the run reconciles it.
State LockFlipped(bool on) {
  State st{Editor({.lock = !on})};
  st.s.instance->SetValue(kLockAlphaHandlesIndex, host::ParamValue::Int(on));
  return st;
}

State Picture(Depth depth) {
  State st = Fresh();
  ApplyLook(*st.s.instance, Look{.input_range = kInputHue, .alphas = {{0, 50}, {100, 100}}});
  st.input = std::make_unique<World>(TestPicture(4, 3, depth, 1));
  st.output = std::make_unique<World>(4, 3, depth, 1);
  return st;
}

Outcome Frame(State &st, bool skip_render = false) {
  const host::FrameResult r = host::RenderFrame(*st.s.host, {.instance = st.s.instance.get(),
                                                             .input = st.input.get(),
                                                             .output = st.output.get(),
                                                             .skip_render = skip_render});
  EXPECT_TRUE(r.record_deleted || !r.pre_render_output.pre_render_data);
  const host::CommandResult &failed = r.pre_render.err ? r.pre_render : r.render;
  return {r.err, failed.out.return_msg};
}

/// A size request sent as is, since the instance's helpers pair it with the request it sizes.
Outcome SizeRequest(State &st, PF_FunctionSelector which) {
  PF_ArbParamsExtra r = st.s.instance->Records().Request(kArb, which);
  A_u_long size = 0;
  if (which == PF_Arbitrary_FLAT_SIZE_FUNC) {
    r.u.flat_size_func_params.arbH = Value(st);
    r.u.flat_size_func_params.flat_data_sizePLu = &size;
  } else {
    r.u.print_size_func_params.arbH = Value(st);
    r.u.print_size_func_params.print_sizePLu = &size;
  }
  return Of(st.s.instance->Records().Send(r));
}

std::vector<Scenario> Scenarios() {
  std::vector<Scenario> list = {
      {"GlobalSetupAfterEffects", [] { return HostOnly(host::kAfterEffects); },
       [](State &st) { return Of(st.s.host->GlobalSetup()); }},
      {"GlobalSetupPremiere", [] { return HostOnly(host::kPremierePro); },
       [](State &st) { return Of(st.s.host->GlobalSetup()); }},
      {"ParamsSetup",
       [] {
         State st = HostOnly(host::kAfterEffects);
         EXPECT_EQ(st.s.host->GlobalSetup().err, 0);
         st.s.instance = std::make_unique<host::Instance>(*st.s.host);
         return st;
       },
       [](State &st) { return Of(st.s.instance->Setup()); }},
      {"ArbNew", [] { return Fresh(); },
       [](State &st) {
         return Outcome{st.s.instance->Records().New(kArb, &st.records.emplace_back())};
       }},
      {"ArbDispose",
       [] {
         State st = Fresh();
         EXPECT_EQ(st.s.instance->Records().New(kArb, &st.records.emplace_back()), 0);
         return st;
       },
       [](State &st) {
         return Outcome{st.s.instance->Records().Dispose(kArb, st.records.at(0).Release())};
       }},
      {"ArbCopy", [] { return Fresh(); },
       [](State &st) {
         return Outcome{st.s.instance->Records().Copy(kArb, Value(st), &st.records.emplace_back())};
       }},
      {"ArbFlatSize", [] { return Fresh(); },
       [](State &st) { return SizeRequest(st, PF_Arbitrary_FLAT_SIZE_FUNC); }},
      {"ArbFlatten", [] { return Fresh(); },
       [](State &st) {
         return Outcome{st.s.instance->Records().Flatten(kArb, Value(st), &st.bytes)};
       }},
      {"ArbUnflatten",
       [] {
         State st = Fresh();
         EXPECT_EQ(st.s.instance->Records().Flatten(kArb, Value(st), &st.bytes), 0);
         return st;
       },
       [](State &st) {
         return Outcome{
             st.s.instance->Records().Unflatten(kArb, st.bytes, &st.records.emplace_back())};
       }},
      {"ArbCompare",
       [] {
         State st = Fresh();
         EXPECT_EQ(st.s.instance->Records().Copy(kArb, Value(st), &st.records.emplace_back()), 0);
         return st;
       },
       [](State &st) {
         PF_ArbCompareResult result;
         return Outcome{
             st.s.instance->Records().Compare(kArb, Value(st), st.records.at(0).get(), &result)};
       }},
      {"ArbPrintSize", [] { return Fresh(); },
       [](State &st) { return SizeRequest(st, PF_Arbitrary_PRINT_SIZE_FUNC); }},
      {"ArbPrint", [] { return Fresh(); },
       [](State &st) {
         std::string text;
         return Outcome{st.s.instance->Records().Print(kArb, Value(st), 0, &text)};
       }},
      {"ArbScan", [] { return Fresh(); },
       [](State &st) {
         return Outcome{
             st.s.instance->Records().Scan(kArb, "current_handle=1\t", &st.records.emplace_back())};
       }},
      {"UserChangeFreshInstance",
       [] {
         State st = Fresh();
         st.s.instance->SetValue(kCycleScaleIndex, host::ParamValue::Float(2));
         return st;
       },
       [](State &st) { return UserChanged(st, kCycleScaleIndex); }},
      {"UserChangeLockOn", [] { return LockFlipped(true); },
       [](State &st) { return UserChanged(st, kLockAlphaHandlesIndex); }},
      {"UserChangeLockOff", [] { return LockFlipped(false); },
       [](State &st) { return UserChanged(st, kLockAlphaHandlesIndex); }},
      {"PreRenderOnly", [] { return Picture(Depth::k8); },
       [](State &st) { return Frame(st, true); }},
      {"Draw", [] { return EditorAt({}); },
       [](State &st) { return Event(st, host::DrawEvent(kFrame)); }},
      {"AdjustCursorOverMarker", [] { return EditorAt({}); },
       [](State &st) { return Event(st, host::AdjustCursorEvent(kFrame, StopMarker(68))); }},
      {"Drag",
       [] {
         State st = EditorAt({}, StopMarker(68));
         EXPECT_EQ(Event(st, host::ClickEvent(kFrame, StopMarker(68))).err, 0);
         return st;
       },
       [](State &st) { return Event(st, host::DragEvent(kFrame, At(60, 30))); }},
  };
  for (const auto &frame : {std::pair{"Render8", Depth::k8}, std::pair{"Render16", Depth::k16},
                            std::pair{"Render32", Depth::k32}}) {
    list.push_back({frame.first, [depth = frame.second] { return Picture(depth); },
                    [](State &st) { return Frame(st); }});
  }
  struct Click {
    const char *name;
    bool lock;
    PF_Point point;
  };
  for (const Click &c :
       {Click{"ClickStopMarker", true, StopMarker(68)}, Click{"ClickColorPlus", true, kColorPlus},
        Click{"ClickColorMinus", true, kColorMinus},
        Click{"ClickAlphaPlusUnlocked", false, kAlphaPlus},
        Click{"ClickAlphaMinusUnlocked", false, kAlphaMinus}}) {
    list.push_back({c.name, [c] { return EditorAt({.lock = c.lock}, c.point); },
                    [c](State &st) { return Event(st, host::ClickEvent(kFrame, c.point)); }});
  }
  return list;
}

/// Operations that hand back a table, handle, object or reference, and so can also fail as null.
bool HandsBack(std::string_view op) {
  for (std::string_view prefix :
       {"AcquireSuite", "host_new_handle", "host_lock_handle", "AEGP_GetNew", "NewBrush", "NewPen",
        "NewPath", "NewDefaultFont", "GetSupplier", "GetSurface", "PF_GetDrawingReference",
        "checkout_layer_pixels", "checkout_output"}) {
    if (op.starts_with(prefix)) return true;
  }
  return false;
}

/// The codes a command may answer when an operation fails; the first rule whose scenario and
/// operation prefixes match wins. Anything else passes the injected code on, or 516 for a null.
struct Rule {
  std::string_view scenario, op;
  std::vector<PF_Err> codes;
};
const std::vector<Rule> &Rules() {
  static const std::vector<Rule> rules = {
      // Giving something back may fail silently; the effect may also report it.
      {"", "ReleaseSuite", {0, kInjected}},
      {"", "host_unlock_handle", {0, kInjected}},
      {"", "host_dispose_handle", {0, kInjected}},
      {"", "checkin", {0, kInjected}},
      {"", "AEGP_Dispose", {0, kInjected}},
      // The ANSI callbacks answer no error code, and colour writes are refreshes nobody awaits.
      {"", "strcpy", {0, kInjected}},
      {"", "AEGP_SetStreamValue", {0, kInjected}},
      // The stored form is best effort: flatten and unflatten answer 0 whatever the host does.
      {"ArbFlatten", "host_", {0}},
      {"ArbUnflatten", "host_", {0}},
      {"ArbPrint", "sprintf", {PF_Err_OUT_OF_MEMORY}},
      // A drag always answers 0; without its record it still stores the pointer.
      {"Drag", "host_lock_handle", {0}},
      // Scoped suites report 13 with a message; cached suites 516.
      {"", "AcquireSuite(PF ColorParam", {A_Err_MISSING_SUITE}},
      {"", "AcquireSuite(PF World", {A_Err_MISSING_SUITE}},
      {"", "AcquireSuite(PF Iterate", {A_Err_MISSING_SUITE}},
      {"", "AcquireSuite(PF iterate", {A_Err_MISSING_SUITE}},
      {"", "AcquireSuite(PF Pixel", {A_Err_MISSING_SUITE}},
      {"", "AcquireSuite", {PF_Err_BAD_CALLBACK_PARAM}},
      // Handles: global data that cannot be made is damage; a record that cannot be read is a
      // request the effect refuses; anything else is out of memory.
      {"GlobalSetup", "host_", {PF_Err_INTERNAL_STRUCT_DAMAGED}},
      {"ArbCompare", "host_lock_handle", {PF_Err_UNRECOGNIZED_PARAM_TYPE}},
      {"ArbPrint", "host_lock_handle", {PF_Err_UNRECOGNIZED_PARAM_TYPE}},
      {"", "host_new_handle", {PF_Err_OUT_OF_MEMORY}},
      {"", "host_lock_handle", {PF_Err_OUT_OF_MEMORY}},
      // The host reports a missing picture with the code it was given.
      {"", "checkout_", {kInjected, PF_Err_BAD_CALLBACK_PARAM}},
  };
  return rules;
}

/// add_param calls whose result the effect does not check: the group starts and ends.
bool GroupMarker(const std::string &op, int occurrence) {
  return op == "add_param" &&
         (occurrence == kColorsGroupStartIndex || occurrence == kColorsGroupEndIndex ||
          occurrence == kAlphaHandlesGroupStartIndex || occurrence == kAlphaHandlesGroupEndIndex);
}

std::vector<PF_Err> Allowed(const std::string &scenario, const std::string &op, int occurrence,
                            FaultKind kind, bool persistent) {
  if (GroupMarker(op, occurrence) && !persistent) return {0};
  for (const Rule &rule : Rules()) {
    if (scenario.starts_with(rule.scenario) && op.starts_with(rule.op)) return rule.codes;
  }
  return {kind == FaultKind::kNull ? PF_Err_BAD_CALLBACK_PARAM : kInjected};
}

/// Long runs repeat one label through the same code (a stream per slot, a parameter per row):
/// their first and last eight calls and about two dozen evenly spaced between are failed.
bool Sampled(const std::string &op, int occurrence, int total) {
  const int stride = std::max(16, total / 24);
  return occurrence <= 8 || occurrence > total - 8 || occurrence % stride == 0 ||
         GroupMarker(op, occurrence);
}

/// What a command leaves that a failure it drops must not change: the record and the hidden flags.
struct Left {
  std::vector<std::uint8_t> record;
  std::vector<AEGP_DynStreamFlags> flags;
  bool operator==(const Left &) const = default;
};
std::optional<Left> LeftBy(State &st) {
  if (!st.s.instance || st.s.instance->ParamCount() != kNumParams || !Value(st)) return {};
  Left left{HandleBytes(*st.s.host, Value(st)), {}};
  for (PF_ParamIndex i = 1; i < kNumParams; ++i) {
    left.flags.push_back(st.s.instance->DynamicStreamFlags(i));
  }
  return left;
}

/// The ArbData record is still a live 56-byte handle with slot fields in 1..100.
void ExpectRecordIntact(State &st) {
  ASSERT_GT(st.s.instance->ParamCount(), kArb);
  const PF_ArbitraryH record = Value(st);
  ASSERT_TRUE(st.s.host->Handles().IsLive(record));
  ASSERT_EQ(st.s.host->Handles().Size(record), kArbDataSize);
  const ArbData r = RecordOf(st.s);
  for (int slot :
       {r.current_handle, r.current_alpha_handle, r.color_slots_used, r.alpha_slots_used}) {
    EXPECT_TRUE(slot >= 1 && slot <= kMaxSlots) << slot;
  }
}

TEST(FaultSweep, EveryHostCallOfEveryCommandFailedInTurn) {
  const auto start = std::chrono::steady_clock::now();
  int scenarios = 0, calls_seen = 0, points = 0, runs = 0;
  // The host calls are part of the behaviour: HUEWARP_SWEEP_CALLS=file writes each scenario's
  // clean calls in order, so two builds of the effect can be compared call for call.
  std::ofstream call_log;
  if (const char *path = std::getenv("HUEWARP_SWEEP_CALLS")) call_log.open(path);
  for (const Scenario &scenario : Scenarios()) {
    SCOPED_TRACE(scenario.name);
    std::vector<std::string> calls;
    std::optional<Left> clean;
    {
      State st = scenario.setup();
      st.s.host->Faults().Reset();
      ASSERT_EQ(scenario.run(st).err, 0);
      calls = st.s.host->Faults().Calls();
      for (const std::string &call : calls) call_log << scenario.name << '\t' << call << '\n';
      clean = LeftBy(st);
      st.s.host->Faults().Reset();
    }
    ++scenarios;
    calls_seen += static_cast<int>(calls.size());
    const auto scenario_start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const std::string &op = calls[i];
      const int occurrence = static_cast<int>(std::count(calls.begin(), calls.begin() + i + 1, op));
      if (!Sampled(op, occurrence, static_cast<int>(std::ranges::count(calls, op)))) continue;
      ++points;
      // The stream fetched for a colour write shares the write's fate: nobody awaits it.
      const bool write_fetch = i + 1 < calls.size() && calls[i + 1] == "AEGP_SetStreamValue";
      for (FaultKind kind : {FaultKind::kError, FaultKind::kNull}) {
        if (kind == FaultKind::kNull && !HandsBack(op)) continue;
        for (bool persistent : {false, true}) {
          SCOPED_TRACE(op + " #" + std::to_string(occurrence) + (persistent ? " persistent" : "") +
                       (kind == FaultKind::kNull ? " null" : ""));
          State st = scenario.setup();
          const bool had_record =
              st.s.instance && st.s.instance->ParamCount() > kArb && Value(st) != nullptr;
          st.s.host->Faults().Reset();
          st.s.host->Faults().Arm({.match = op,
                                   .occurrence = occurrence,
                                   .kind = kind,
                                   .code = kInjected,
                                   .persistent = persistent});
          const Outcome out = scenario.run(st);
          const int fired = st.s.host->Faults().Fired();
          st.s.host->Faults().Reset();
          ++runs;
          EXPECT_GE(fired, 1);
          std::vector<PF_Err> allowed = Allowed(scenario.name, op, occurrence, kind, persistent);
          if (write_fetch) allowed.push_back(0);
          EXPECT_NE(std::ranges::find(allowed, out.err), allowed.end()) << "returned " << out.err;
          // Only suite failures are reported, and a scoped suite's always is.
          if (out.err == A_Err_MISSING_SUITE || !out.message.empty()) {
            EXPECT_EQ(out.message, op.starts_with("ReleaseSuite") ? kReleaseFailedMessage
                                                                  : kAcquireFailedMessage);
          }
          // A group the host refused shifts every later index, so there is no record to check.
          const bool declared = st.s.instance && st.s.instance->ParamCount() == kNumParams;
          if (had_record || (declared && out.err == 0)) ExpectRecordIntact(st);
          // A refused group marker shifts the slots, so only that case may differ.
          if (out.err == 0 && !write_fetch && !GroupMarker(op, occurrence)) {
            EXPECT_TRUE(LeftBy(st) == clean) << "a dropped failure changed the outcome";
          }
        }
      }
    }
    std::printf(
        "%s: %zu calls, %.1f s\n", scenario.name.c_str(), calls.size(),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - scenario_start).count());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("fault sweep: %d scenarios, %d host calls, %d injection points, %d runs, %.1f s\n",
              scenarios, calls_seen, points, runs, seconds);
  ::testing::Test::RecordProperty("scenarios", scenarios);
  ::testing::Test::RecordProperty("injection_points", points);
}

// The same scenarios with the effect's own allocations failed in turn, each once and for good:
// every run must answer 0 or out of memory, balance its ledger, keep the record intact and, where
// it succeeds, leave what a clean run leaves. Leaks show in the ledger and under LeakSanitizer.
TEST(FaultSweep, EveryEffectAllocationOfEveryCommandFailedInTurn) {
  const auto start = std::chrono::steady_clock::now();
  long points = 0, runs = 0;
  for (const Scenario &scenario : Scenarios()) {
    SCOPED_TRACE(scenario.name);
    long count = 0;
    std::optional<Left> clean;
    {
      // A first run warms up what is made once per process (locale facets, thread-locals), so
      // that every later run allocates the same.
      State warm = scenario.setup();
      ASSERT_EQ(scenario.run(warm).err, 0);
    }
    {
      State st = scenario.setup();
      host::ArmAllocationGate();
      const Outcome out = scenario.run(st);
      host::DisarmAllocationGate();
      count = host::EffectAllocations();
      ASSERT_EQ(out.err, 0);
      clean = LeftBy(st);
    }
    points += count;
    for (long n = 1; n <= count; ++n) {
      for (bool persistent : {false, true}) {
        SCOPED_TRACE("allocation " + std::to_string(n) + (persistent ? " persistent" : ""));
        State st = scenario.setup();
        const bool had_record =
            st.s.instance && st.s.instance->ParamCount() > kArb && Value(st) != nullptr;
        const std::vector<std::uint8_t> record_before =
            had_record ? HandleBytes(*st.s.host, Value(st)) : std::vector<std::uint8_t>{};
        host::ArmAllocationGate(n, persistent);
        const Outcome out = scenario.run(st);
        const long fired = host::AllocationFaultsFired();
        host::DisarmAllocationGate();
        ++runs;
        EXPECT_GE(fired, 1);
        EXPECT_TRUE(out.err == PF_Err_NONE || out.err == PF_Err_OUT_OF_MEMORY)
            << "returned " << out.err;
        EXPECT_TRUE(out.message.empty()) << out.message;
        if (had_record) ExpectRecordIntact(st);
        if (out.err == PF_Err_NONE) {
          EXPECT_TRUE(LeftBy(st) == clean);
        } else if (had_record) {
          // A command that ran out of memory leaves the record as it found it.
          EXPECT_EQ(HandleBytes(*st.s.host, Value(st)), record_before);
        }
      }
    }
    if (count) std::printf("%s: %ld effect allocations\n", scenario.name.c_str(), count);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (points == 0) {
    GTEST_SKIP() << "no allocation of the effect reached the gate: its module brings its own "
                    "allocator";
  }
  std::printf("allocation sweep: %ld allocation points, %ld runs, %.1f s\n", points, runs, seconds);
  ::testing::Test::RecordProperty("allocation_points", static_cast<int>(points));
}

}  // namespace
}  // namespace huewarp::testing
