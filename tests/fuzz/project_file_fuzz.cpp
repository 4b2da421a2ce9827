// Fuzz target fuzz_project_file: the command-line tool's project loader with arbitrary text, into
// a duplicate of one set-up instance. Every input must either load or be refused with the tool's
// own error or a JSON parse error (never another exception, a crash, a hang or a deep
// recursion); the ledger must balance (a violation aborts), and once the instance is gone every
// handle it held must have been given back.
#include <cstdint>
#include <memory>
#include <string_view>

#include <nlohmann/json.hpp>

#include "fuzz_input.h"
#include "host/instance/instance.h"
#include "host_session.h"
#include "tools/project_file.h"
#include "tools/tool_error.h"

namespace huewarp::fuzz {
namespace {

struct Session {
  host::Host host{HUEWARP_MODULE_PATH};
  std::unique_ptr<host::Instance> fresh;
};

// Made on first use and never destroyed, so the module stays loaded for the whole process.
Session &TheSession() {
  static Session *const session = [] {
    auto *s = new Session;
    PrepareHost(s->host);
    s->fresh = std::make_unique<host::Instance>(s->host);
    Require(s->fresh->Setup().err == PF_Err_NONE, "parameter setup failed");
    return s;
  }();
  return *session;
}

}  // namespace
}  // namespace huewarp::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace huewarp;
  using namespace huewarp::fuzz;
  Session &s = TheSession();
  const int live = s.host.Handles().LiveCount();
  {
    std::unique_ptr<host::Instance> instance;
    Require(s.fresh->Duplicate(&instance) == PF_Err_NONE, "duplicating the instance failed");
    try {
      tool::LoadProject(*instance, {reinterpret_cast<const char *>(data), size});
    } catch (const tool::ToolError &) {
    } catch (const nlohmann::json::exception &) {
    }
  }
  Require(s.host.Handles().LiveCount() == live, "handles outlived the instance that held them");
  return 0;
}
