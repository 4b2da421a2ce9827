// Platform configuration: the effect includes it before the Premiere support header.
#pragma once

#if defined(_WIN32) && !defined(AE_OS_WIN)
#define AE_OS_WIN 1
#endif
