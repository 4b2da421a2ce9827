// Registration of each suite the host implements; one function per suite file.
#pragma once

#include "host/core/suite_registry.h"

namespace huewarp::host {

void RegisterHandleSuite(SuiteRegistry &registry);
void RegisterUtilitySuite(SuiteRegistry &registry);
void RegisterPixelFormatSuite(SuiteRegistry &registry);
void RegisterIterateSuites(SuiteRegistry &registry);
void RegisterWorldSuite(SuiteRegistry &registry);
void RegisterAegpSuites(SuiteRegistry &registry);
void RegisterColorParamSuite(SuiteRegistry &registry);
void RegisterParamUtilsSuite(SuiteRegistry &registry);
void RegisterDrawbotDrawSuite(SuiteRegistry &registry);
void RegisterDrawbotSupplierSuite(SuiteRegistry &registry);
void RegisterDrawbotSurfaceSuite(SuiteRegistry &registry);
void RegisterDrawbotPathSuite(SuiteRegistry &registry);
void RegisterCustomUiSuite(SuiteRegistry &registry);
void RegisterAdvAppSuite(SuiteRegistry &registry);
void RegisterHelperSuite(SuiteRegistry &registry);

/// Registers every suite this host implements.
void RegisterStandardSuites(SuiteRegistry &registry);

}  // namespace huewarp::host
