// "AEGP Utility Suite" 7: registration with the AEGP layer, and undo groups.
#include "AE_GeneralPlug.h"
#include "host/command_context.h"
#include "host/host.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

A_Err NotImplemented() { return A_Err_GENERIC; }

A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const A_char *, AEGP_PluginID *plugin_id) {
  const FaultDecision fault = Consult("AEGP_RegisterWithAEGP");
  if (fault.fail) return fault.code;
  CommandContext *context = CurrentCommand();
  if (!context || !plugin_id) return A_Err_PARAMETER;
  *plugin_id = context->host->NextPluginId();
  return A_Err_NONE;
}

A_Err StartUndoGroup(const A_char *) {
  const FaultDecision fault = Consult("AEGP_StartUndoGroup");
  return fault.fail ? fault.code : A_Err_NONE;
}

A_Err EndUndoGroup() {
  const FaultDecision fault = Consult("AEGP_EndUndoGroup");
  return fault.fail ? fault.code : A_Err_NONE;
}

}  // namespace

void RegisterUtilitySuite(SuiteRegistry &registry) {
  static AEGP_UtilitySuite3 suite = [] {
    AEGP_UtilitySuite3 s{};
    s.AEGP_StartUndoGroup = StartUndoGroup;
    s.AEGP_EndUndoGroup = EndUndoGroup;
    s.AEGP_RegisterWithAEGP = RegisterWithAEGP;
    s.AEGP_CauseIdleRoutinesToBeCalled = NotImplemented;
    return s;
  }();
  registry.Add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3, &suite);
}

}  // namespace huewarp::host
