// "PF ColorParamSuite" 1: a colour parameter's value at full precision.
#include "AE_EffectSuites.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/instance/param_stream.h"
#include "host/suites/suites.h"

namespace huewarp::host {
namespace {

PF_Err GetFloatingPointColorFromColorDef(PF_ProgPtr, const PF_ParamDef *def, PF_PixelFloat *color) {
  const HostCall fault = Consult("PF_GetFloatingPointColorFromColorDef");
  if (fault.fail) return fault.code;
  if (!def || !color || def->param_type != PF_Param_COLOR) return PF_Err_BAD_CALLBACK_PARAM;
  if (const auto stamped = StampedFloatColor(*def)) {
    *color = *stamped;
  } else {
    const PF_Pixel &p = def->u.cd.value;
    *color = {p.alpha / 255.0f, p.red / 255.0f, p.green / 255.0f, p.blue / 255.0f};
  }
  return PF_Err_NONE;
}

}  // namespace

void RegisterColorParamSuite(SuiteRegistry &registry) {
  static PF_ColorParamSuite1 suite{GetFloatingPointColorFromColorDef};
  registry.Add(kPFColorParamSuite, kPFColorParamSuiteVersion1, &suite);
}

}  // namespace huewarp::host
