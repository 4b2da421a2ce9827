// "PF Effect Custom UI Suite" 1: the drawing reference of a draw event, found through the
// event's context, which the host points at the event's drawing.
#include "AE_EffectSuites.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"
#include "host/ui/drawing.h"

namespace huewarp::host {
namespace {

// The published signature, const handle included.
// NOLINTNEXTLINE(misc-misplaced-const)
PF_Err GetDrawingReference(const PF_ContextH context, DRAWBOT_DrawRef *ref) {
  if (ref) *ref = nullptr;
  const HostCall fault = Consult("PF_GetDrawingReference");
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : PF_Err_NONE;
  // Only a draw event's context has a drawing.
  Drawing *d = DrawingOfContext(context);
  if (!d || !ref) return PF_Err_BAD_CALLBACK_PARAM;
  *ref = d->ref();
  return PF_Err_NONE;
}

}  // namespace

void RegisterCustomUiSuite(SuiteRegistry &registry) {
  static PF_EffectCustomUISuite1 suite{GetDrawingReference};
  registry.Add(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &suite);
}

}  // namespace huewarp::host
