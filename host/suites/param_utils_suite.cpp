// "PF Param Utils Suite" 3: PF_UpdateParamUI, which asks the Effect Controls panel to show a
// parameter with the definition the effect passes. The other members are not offered.
#include "AE_EffectSuites.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/instance/instance.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

PF_Err UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef *def) {
  const HostCall fault = Consult("PF_UpdateParamUI");
  if (fault.fail) return fault.code;
  CommandContext *command = CommandFromRef(effect_ref);
  if (!command || !command->instance || !def) return PF_Err_BAD_CALLBACK_PARAM;
  Instance &instance = *command->instance;
  if (index < 0 || index >= instance.ParamCount()) return PF_Err_INVALID_INDEX;
  // The panel shows the definition as a parameter of its declared type, or not at all.
  if (def->param_type != instance.Definition(index).param_type) return PF_Err_BAD_CALLBACK_PARAM;
  instance.Panel().NoteUpdate(index, def->flags);
  return PF_Err_NONE;
}

}  // namespace

void RegisterParamUtilsSuite(SuiteRegistry &registry) {
  static PF_ParamUtilsSuite3 suite = [] {
    PF_ParamUtilsSuite3 s{};
    s.PF_UpdateParamUI = UpdateParamUI;
    return s;
  }();
  registry.Add(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &suite);
}

}  // namespace huewarp::host
