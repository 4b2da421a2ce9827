// "DRAWBOT Draw Suite" 1: the supplier and the surface of a draw reference. Both belong to the
// drawing, so they are not acquired in the ledger and the effect does not release them.
#include "adobesdk/DrawbotSuite.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"
#include "host/suites/suites.h"
#include "host/ui/drawing.h"

namespace huewarp::host {
namespace {

SPErr GetSupplier(DRAWBOT_DrawRef ref, DRAWBOT_SupplierRef *supplier) {
  if (supplier) *supplier = nullptr;
  const HostCall fault = Consult("GetSupplier");
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : kSPNoError;
  Drawing *d = Drawing::OfDrawRef(ref);
  if (!d || !supplier) return kDrawbotBadRef;
  *supplier = d->supplier();
  return kSPNoError;
}

SPErr GetSurface(DRAWBOT_DrawRef ref, DRAWBOT_SurfaceRef *surface) {
  if (surface) *surface = nullptr;
  const HostCall fault = Consult("GetSurface");
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : kSPNoError;
  Drawing *d = Drawing::OfDrawRef(ref);
  if (!d || !surface) return kDrawbotBadRef;
  *surface = d->surface();
  return kSPNoError;
}

}  // namespace

void RegisterDrawbotDrawSuite(SuiteRegistry &registry) {
  static DRAWBOT_DrawbotSuite1 suite{GetSupplier, GetSurface};
  registry.Add(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &suite);
}

}  // namespace huewarp::host
