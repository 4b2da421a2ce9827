#include "host/suites/suites.h"

namespace huewarp::host {

void RegisterStandardSuites(SuiteRegistry &registry) {
  RegisterHandleSuite(registry);
  RegisterUtilitySuite(registry);
  RegisterPixelFormatSuite(registry);
  RegisterIterateSuites(registry);
  RegisterWorldSuite(registry);
}

}  // namespace huewarp::host
