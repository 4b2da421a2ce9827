// "PF Handle Suite" 2: the same handle operations as the utility callbacks.
#include "AE_EffectCBSuites.h"
#include "host/core/handle_callbacks.h"
#include "host/suites/suites.h"

namespace huewarp::host {

void RegisterHandleSuite(SuiteRegistry &registry) {
  static PF_HandleSuite1 suite = {NewHandle,     LockHandle, UnlockHandle,
                                  DisposeHandle, HandleSize, ResizeHandle};
  registry.Add(kPFHandleSuite, kPFHandleSuiteVersion1, &suite);
}

}  // namespace huewarp::host
