// The plug-in shell through EffectMain: the debug trace and its capture, which no other test
// watches. Registration, setup and suite failures are the fault sweep's.
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include "AE_EffectUI.h"
#include "host_fixture.h"

namespace huewarp::testing {
namespace {

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
