// "AE Plugin Helper Suite2" 2: the tool an effect asks the host to make current, recorded by the
// host the command belongs to. Parsing the clipboard and reading the tool back are not offered.
#include "AE_EffectSuitesHelper.h"
#include "host/command_context.h"
#include "host/host.h"
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
  context->host->NoteExtendedTool(tool);
  return PF_Err_NONE;
}

}  // namespace

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
