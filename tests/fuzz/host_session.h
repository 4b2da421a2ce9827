// What the fuzz targets that drive the effect through the simulated host share: a host that
// lives for the whole process and aborts on any ledger violation, and one input's run of steps,
// after which every handle it made must have been given back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_input.h"
#include "host/core/host.h"

namespace huewarp::fuzz {

/// Makes any ledger violation abort, then runs global setup. The host lives for the whole
/// process, so it keeps no list of calls.
inline void PrepareHost(host::Host &host) {
  host.Faults().Record(false);
  host.SetViolationHandler([](const std::string &violation) {
    std::fprintf(stderr, "ledger: %s\n", violation.c_str());
    Require(false, "the ledger does not balance");
  });
  Require(host.GlobalSetup().err == PF_Err_NONE, "global setup failed");
}

/// Builds a `Run` over the input and calls `step` up to `max_steps` times, while input remains.
template <class Run, class Session>
int RunInput(Session &session, const std::uint8_t *data, std::size_t size, int max_steps,
             void (Run::*step)()) {
  FuzzInput in({data, size});
  const int live = session.host.Handles().LiveCount();
  {
    Run run(session, in);
    for (int i = 0; i < max_steps && !in.Empty(); ++i) (run.*step)();
  }
  Require(session.host.Handles().LiveCount() == live, "handles outlived the run that made them");
  return 0;
}

}  // namespace huewarp::fuzz
