// The host's end of the effect's debugger output: every string goes to the command that sent it.
#include <mutex>
#include <string>
#include <vector>

#include "host/core/allocation_gate.h"
#include "host/core/command_context.h"

namespace huewarp::host {

std::vector<std::string> &StrayDebugOutput() {
  static std::vector<std::string> stray;
  return stray;
}

}  // namespace huewarp::host

#ifdef _WIN32
#define HUEWARP_HOST_EXPORT
#else
#define HUEWARP_HOST_EXPORT __attribute__((visibility("default")))
#endif

// On Windows the module's import of OutputDebugStringA is redirected here.
extern "C" void HuewarpCollectDebugOutput(const char *text) {
  using namespace huewarp::host;
  const HostCodeScope host_code;
  std::string line = text ? text : "";
  if (CommandContext *context = CurrentCommand()) {
    context->debug_output.push_back(std::move(line));
    return;
  }
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  StrayDebugOutput().push_back(std::move(line));
}

#ifndef _WIN32
// On Linux the module imports the Windows name and the host provides it.
extern "C" HUEWARP_HOST_EXPORT void OutputDebugStringA(const char *text) {
  HuewarpCollectDebugOutput(text);
}
#endif
