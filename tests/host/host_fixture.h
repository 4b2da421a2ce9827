// A simulated host around the built module for each test; any accounting violation fails it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/host.h"

namespace huewarp::testing {

inline std::unique_ptr<host::Host> MakeHost(host::HostOptions options = {}) {
  auto h = std::make_unique<host::Host>(HUEWARP_MODULE_PATH, options);
  h->SetViolationHandler([](const std::string &violation) { ADD_FAILURE() << violation; });
  return h;
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { host_ = MakeHost(); }
  host::Host &host() { return *host_; }
  std::unique_ptr<host::Host> host_;
};

/// Counts the calls whose label starts with `prefix`.
inline int CountCalls(const host::CommandResult &result, const std::string &prefix) {
  int n = 0;
  for (const auto &call : result.calls) n += call.rfind(prefix, 0) == 0;
  return n;
}

}  // namespace huewarp::testing
