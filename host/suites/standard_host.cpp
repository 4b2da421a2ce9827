// The host as tests and tools make it: every table and suite this simulation implements.
#include "host/core/basic_suite.h"
#include "host/core/host.h"
#include "host/core/utility_callbacks.h"
#include "host/suites/suites.h"
#include "host/ui/interact_callbacks.h"

namespace huewarp::host {

void RegisterStandardSuites(SuiteRegistry &registry) {
  RegisterHandleSuite(registry);
  RegisterUtilitySuite(registry);
  RegisterPixelFormatSuite(registry);
  RegisterIterateSuites(registry);
  RegisterWorldSuite(registry);
  RegisterAegpSuites(registry);
  RegisterColorParamSuite(registry);
  RegisterParamUtilsSuite(registry);
  RegisterDrawbotDrawSuite(registry);
  RegisterDrawbotSupplierSuite(registry);
  RegisterDrawbotSurfaceSuite(registry);
  RegisterDrawbotPathSuite(registry);
  RegisterCustomUiSuite(registry);
  RegisterAdvAppSuite(registry);
  RegisterHelperSuite(registry);
}

Host::Host(const std::string &module_path, HostOptions options)
    : Host(module_path, options,
           HostTables{.basic = BasicSuite(),
                      .utils = UtilityCallbacks(),
                      .interact = &InteractCallbacks(),
                      .register_suites = RegisterStandardSuites}) {}

}  // namespace huewarp::host
