// Pixel format codes of the host's published effect API.
#pragma once

#include "A.h"

typedef A_long PF_PixelFormat;

enum {
  PF_PixelFormat_ARGB32 = 0x62677261,
  PF_PixelFormat_ARGB64 = 0x36316561,
  PF_PixelFormat_ARGB128 = 0x32336561,
  PF_PixelFormat_BGRA32 = 0x61726762,
  PF_PixelFormat_VUYA32 = 0x61797576,
  PF_PixelFormat_INVALID = 0x66646162
};
