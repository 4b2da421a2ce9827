// An effect instance set up in a fresh host after global setup, and raw access to its records.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/instance/instance.h"
#include "host_fixture.h"

namespace huewarp::testing {

/// Destroyed in reverse order: the instance gives its records back before the host goes.
struct SetUpInstance {
  std::unique_ptr<host::Host> host;
  std::unique_ptr<host::Instance> instance;
  host::CommandResult setup;
};

inline SetUpInstance MakeInstance(host::HostOptions options = {}) {
  SetUpInstance s;
  s.host = MakeHost(options);
  EXPECT_EQ(s.host->GlobalSetup().err, 0);
  s.instance = std::make_unique<host::Instance>(*s.host);
  s.setup = s.instance->Setup();
  return s;
}

inline std::vector<std::uint8_t> HandleBytes(host::Host &h, PF_Handle handle) {
  const auto bytes = h.Handles().Bytes(handle);
  return {bytes.begin(), bytes.end()};
}

}  // namespace huewarp::testing
