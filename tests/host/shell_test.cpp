// The plug-in shell through EffectMain: registration, About, global setup in both hosts, suite
// access rules, and the debug trace and its capture.
#include <cstring>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include "AE_EffectUI.h"
#include "host/suites/pixel_format_suite.h"
#include "host/suites/utility_suite.h"
#include "host_fixture.h"
#include "shell/global_data.h"

namespace huewarp::testing {
namespace {

using host::FaultKind;
using host::FaultRule;

TEST_F(HostTest, RegistrationPassesNineArgumentsAndTheHostPointer) {
  EXPECT_EQ(host().Register(), 0);
  const host::Registration &r = host().registration();
  EXPECT_EQ(r.calls, 1);
  EXPECT_EQ(r.data, reinterpret_cast<PF_PluginDataPtr>(const_cast<host::Registration *>(&r)));
  EXPECT_EQ(r.name, "Huewarp");
  EXPECT_EQ(r.match_name, "QuillmereHuewarp");
  EXPECT_EQ(r.category, "Quillmere");
  EXPECT_EQ(r.entry_point, "EffectMain");
  EXPECT_EQ(r.kind, 0x65464B54);
  EXPECT_EQ(r.api_major, 13);
  EXPECT_EQ(r.api_minor, 27);
  EXPECT_EQ(r.reserved, 8);
}

struct SetupCase {
  const char *label;
  int32_t appl_id;
  bool registers;
};

class GlobalSetupTest : public ::testing::TestWithParam<SetupCase> {};

TEST_P(GlobalSetupTest, FlagsVersionAndGlobalData) {
  auto h = MakeHost({.appl_id = GetParam().appl_id});
  const host::CommandResult r = h->GlobalSetup();
  ASSERT_EQ(r.err, 0);
  EXPECT_EQ(r.out.my_version, 0x00080001u);
  EXPECT_EQ(r.out.out_flags, 0x06008440);
  EXPECT_EQ(r.out.out_flags2, 0x08001400);
  ASSERT_NE(r.out.global_data, nullptr);
  ASSERT_EQ(h->Handles().Size(r.out.global_data), sizeof(GlobalData));
  GlobalData g;
  std::memcpy(&g, h->Handles().Data(r.out.global_data), sizeof g);
  EXPECT_EQ(g.initialized, 1);
  EXPECT_EQ(g.alpha_grabbed, 0);
  if (GetParam().registers) {
    ASSERT_EQ(host::RegisteredPluginIds(*h).size(), 1u);
    EXPECT_EQ(g.plugin_id, host::RegisteredPluginIds(*h)[0]);
    EXPECT_TRUE(host::PixelFormats(*h).empty());
  } else {
    EXPECT_TRUE(host::RegisteredPluginIds(*h).empty());
    EXPECT_EQ(g.plugin_id, static_cast<int32_t>(0xA5A5A5A5)) << "plug-in id must not be written";
    EXPECT_EQ(host::PixelFormatClears(*h), 1);
    EXPECT_EQ(host::PixelFormats(*h), std::vector<int32_t>{0x61795556});
  }
  // The same cached suite serves new, lock and unlock: acquired once, released once.
  EXPECT_EQ(CountCalls(r, "AcquireSuite(PF Handle Suite 2)"), 1);
  EXPECT_EQ(CountCalls(r, "ReleaseSuite(PF Handle Suite 2)"), 1);
  EXPECT_EQ(r.debug_output, std::vector<std::string>{""});
}

INSTANTIATE_TEST_SUITE_P(Hosts, GlobalSetupTest,
                         ::testing::Values(SetupCase{"AfterEffects", host::kAfterEffects, true},
                                           SetupCase{"Premiere", host::kPremierePro, false}),
                         [](const auto &info) { return std::string(info.param.label); });

TEST_F(HostTest, FlagsAreSetEvenWithoutAHandle) {
  host().Faults().Arm({.match = "host_new_handle", .kind = FaultKind::kNull});
  const host::CommandResult r = host().GlobalSetup();
  EXPECT_EQ(r.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(r.out.my_version, 0x00080001u);
  EXPECT_EQ(r.out.out_flags, 0x06008440);
  EXPECT_EQ(r.out.out_flags2, 0x08001400);
  EXPECT_EQ(r.out.global_data, nullptr);
}

TEST_F(HostTest, MissingScopedSuiteGives13AndTheMessage) {
  host().set_appl_id(host::kPremierePro);
  host().Suites().Remove("PF Pixel Format Suite", 1);
  const host::CommandResult r = host().GlobalSetup();
  EXPECT_EQ(r.err, A_Err_MISSING_SUITE);
  EXPECT_TRUE(r.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
  EXPECT_STREQ(r.out.return_msg, "Not able to acquire AEFX Suite.");
}

TEST_F(HostTest, MissingCachedSuiteGives516) {
  host().Suites().Remove("PF Handle Suite", 2);
  EXPECT_EQ(host().GlobalSetup().err, PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(HostTest, ThrownErrorLeavesStandardOutputAsItWas) {
  std::ostringstream mine;
  std::streambuf *before = std::cout.rdbuf(mine.rdbuf());
  host().Suites().Remove("AEGP Utility Suite", 7);
  EXPECT_EQ(host().GlobalSetup().err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(std::cout.rdbuf(), mine.rdbuf());
  std::cout << "after";
  std::cout.rdbuf(before);
  EXPECT_EQ(mine.str(), "after");
}

TEST_F(HostTest, EverySelectorWithoutWorkAnswersZeroWithAnEmptyTrace) {
  for (PF_Cmd cmd : {2, 3, 5, 6, 10, 11, 14, 25, -1, 99}) {
    const host::CommandResult r = host().Send(cmd);
    EXPECT_EQ(r.err, 0) << cmd;
    EXPECT_EQ(r.debug_output, std::vector<std::string>{""}) << cmd;
  }
}

TEST_F(HostTest, ConcurrentCommandsEachGetTheirOwnTrace) {
  std::ostringstream sink;
  std::streambuf *before = std::cout.rdbuf(sink.rdbuf());
  constexpr int kThreads = 8, kRounds = 200;
  std::vector<std::vector<std::string>> traces(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        PF_EventExtra idle{};
        idle.e_type = PF_Event_IDLE;
        // Odd threads send commands that write nothing, between the idle events of the others.
        const host::CommandResult r =
            t % 2 ? host().About() : host().Send(PF_Cmd_EVENT, {.extra = &idle});
        traces[t].push_back(r.debug_output.size() == 1 ? r.debug_output[0] : "<missing>");
      }
    });
  }
  for (auto &thread : threads) thread.join();
  EXPECT_EQ(std::cout.rdbuf(), sink.rdbuf());
  std::cout.rdbuf(before);
  EXPECT_EQ(sink.str(), "") << "no trace may leak to the real output";
  for (int t = 0; t < kThreads; ++t) {
    for (const std::string &trace : traces[t]) ASSERT_EQ(trace, t % 2 ? "" : "IDLE\n");
  }
}

}  // namespace
}  // namespace huewarp::testing
