// Registration of each suite the host implements; one function per suite file.
#pragma once

#include "host/suite_registry.h"

namespace huewarp::host {

void RegisterHandleSuite(SuiteRegistry &registry);
void RegisterUtilitySuite(SuiteRegistry &registry);
void RegisterPixelFormatSuite(SuiteRegistry &registry);
void RegisterIterateSuites(SuiteRegistry &registry);
void RegisterWorldSuite(SuiteRegistry &registry);

}  // namespace huewarp::host
