#include "host/suites/suites.h"

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

}  // namespace huewarp::host
