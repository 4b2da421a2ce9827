// Premiere pixel format codes (first character in the lowest byte).
#pragma once

enum PrPixelFormat {
  PrPixelFormat_BGRA_4444_8u = 0x61726762,
  PrPixelFormat_VUYA_4444_8u = 0x61797576,
  PrPixelFormat_VUYA_4444_8u_709 = 0x41595556,
  PrPixelFormat_ARGB_4444_8u = 0x62677261,
  PrPixelFormat_VUYA_4444_32f = 0x61795556,
  PrPixelFormat_VUYA_4444_32f_709 = 0x61595576,
  PrPixelFormat_VUYA_4444_16u = 0x61797556
};
