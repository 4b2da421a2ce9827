// A simulated host around the built module for each test; any accounting violation fails it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "host/core/host.h"

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

// Table rows print as their name or label, so test lists show words rather than bytes. In the
// unnamed namespace, where the rows are declared, so that argument lookup finds them.
namespace {
template <class Case>
requires requires(const Case &c) { *static_cast<std::ostream *>(nullptr) << c.name; }
void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }
template <class Case>
requires requires(const Case &c) { *static_cast<std::ostream *>(nullptr) << c.label; }
void PrintTo(const Case &c, std::ostream *os) { *os << c.label; }
}  // namespace

}  // namespace huewarp::testing
