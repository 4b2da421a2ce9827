// "AEGP Utility Suite" 7: registration with the AEGP layer, and undo groups, which are named
// steps on the history of the instance the current command belongs to. The ledger holds each
// group until it is closed, so a command that leaves one open is reported.
#include <string>

#include "AE_GeneralPlug.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/instance/instance.h"
#include "host/instance/undo.h"
#include "host/suites/suites.h"
#include "host/suites/utility_suite.h"

namespace huewarp::host {
namespace {

A_Err NotImplemented() { return A_Err_GENERIC; }

A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const A_char *, AEGP_PluginID *plugin_id) {
  const HostCall fault = Consult("AEGP_RegisterWithAEGP");
  if (fault.fail) return fault.code;
  CommandContext *context = CurrentCommand();
  if (!context || !plugin_id) return A_Err_PARAMETER;
  *plugin_id = context->host->SuiteState<PluginIds>().Next();
  return A_Err_NONE;
}

constexpr const char *kUndoGroupKey = "undo group";

A_Err StartUndoGroup(const A_char *name) {
  const HostCall fault = Consult("AEGP_StartUndoGroup");
  if (fault.fail) return fault.code;
  CommandContext *context = CurrentCommand();
  if (!context || !context->instance || !name) return A_Err_PARAMETER;
  context->instance->History().BeginUndoGroup(name);
  context->ledger.Acquire(Resource::kUndoGroup, kUndoGroupKey, "AEGP_StartUndoGroup");
  return A_Err_NONE;
}

A_Err EndUndoGroup() {
  const HostCall fault = Consult("AEGP_EndUndoGroup");
  CommandContext *context = CurrentCommand();
  if (!context || !context->instance) return A_Err_PARAMETER;
  // Closing without an open group is a ledger violation and leaves the history alone.
  if (context->ledger.Outstanding(Resource::kUndoGroup) == 0) {
    context->ledger.Release(Resource::kUndoGroup, kUndoGroupKey, "AEGP_EndUndoGroup");
    return A_Err_PARAMETER;
  }
  // The group is closed even when the host reports an error.
  context->instance->History().EndUndoStep();
  context->ledger.Release(Resource::kUndoGroup, kUndoGroupKey, "AEGP_EndUndoGroup");
  return fault.fail ? fault.code : A_Err_NONE;
}

}  // namespace

int32_t PluginIds::Next() {
  std::lock_guard lock(mutex_);
  const int32_t id = 7000 + static_cast<int32_t>(ids_.size());
  ids_.push_back(id);
  return id;
}

std::vector<int32_t> PluginIds::All() const {
  std::lock_guard lock(mutex_);
  return ids_;
}

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
