// Marks the module's two exports; everything else in the module stays hidden.
#pragma once

#ifdef _WIN32
#define HUEWARP_EXPORT extern "C" __declspec(dllexport)
#else
#define HUEWARP_EXPORT extern "C" __attribute__((visibility("default")))
#endif
