// "AE Plugin Helper Suite2" 2: the tool an effect asks the host to make current, recorded by the
// host the command belongs to. Parsing the clipboard and reading the tool back are not offered.
#include "AE_EffectSuitesHelper.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/suites/helper_suite.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

// The published entry takes a legacy enum, which GNU compilers make one byte; a host built with
// the vendor's compiler reads four, and so does this one.
PF_Err SetCurrentExtendedTool(A_long tool) {
  const HostCall fault = Consult("PF_SetCurrentExtendedTool");
  if (fault.fail) return fault.code;
  CommandContext *context = CurrentCommand();
  if (!context || !context->host) return PF_Err_BAD_CALLBACK_PARAM;
  context->host->SuiteState<ExtendedToolLog>().Note(tool);
  return PF_Err_NONE;
}

}  // namespace

void ExtendedToolLog::Note(A_long tool) {
  std::lock_guard lock(mutex_);
  tools_.push_back(tool);
}

std::vector<A_long> ExtendedToolLog::Tools() const {
  std::lock_guard lock(mutex_);
  return tools_;
}

void RegisterHelperSuite(SuiteRegistry &registry) {
  static PF_HelperSuite2 suite = [] {
    PF_HelperSuite2 s{};
    s.PF_SetCurrentExtendedTool = reinterpret_cast<decltype(s.PF_SetCurrentExtendedTool)>(
        reinterpret_cast<void (*)()>(&SetCurrentExtendedTool));
    return s;
  }();
  registry.Add(kPFHelperSuite2, kPFHelperSuite2Version2, &suite);
}

}  // namespace huewarp::host
