// Premiere's pixel format suite for effects of the After Effects API.
#pragma once

#include "AE_EffectCB.h"
#include "PrSDKPixelFormat.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kPFPixelFormatSuite "PF Pixel Format Suite"
#define kPFPixelFormatSuiteVersion1 1
#define kPFPixelFormatSuiteVersion 1

typedef struct PF_PixelFormatSuite {
  PF_Err (*AddSupportedPixelFormat)(PF_ProgPtr effect_ref, enum PrPixelFormat pixelFormat);
  PF_Err (*ClearSupportedPixelFormats)(PF_ProgPtr effect_ref);
  PF_Err (*NewWorldOfPixelFormat)(PF_ProgPtr effect_ref, A_u_long width, A_u_long height,
                                  PF_NewWorldFlags flags, enum PrPixelFormat pixelFormat,
                                  PF_EffectWorld *world);
  PF_Err (*DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld *world);
  PF_Err (*GetPixelFormat)(PF_EffectWorld *inWorld, enum PrPixelFormat *pixelFormat);
  PF_Err (*GetBlackForPixelFormat)(enum PrPixelFormat pixelFormat, void *pixelData);
  PF_Err (*GetWhiteForPixelFormat)(enum PrPixelFormat pixelFormat, void *pixelData);
  PF_Err (*ConvertColorToPixelFormattedData)(enum PrPixelFormat pixelFormat, float alpha, float red,
                                             float green, float blue, void *pixelData);
} PF_PixelFormatSuite1;

#ifdef __cplusplus
}
static_assert(sizeof(PF_PixelFormatSuite1) == 64 &&
                  offsetof(PF_PixelFormatSuite1, ClearSupportedPixelFormats) == 8,
              "PF_PixelFormatSuite1 layout");
static_assert(sizeof(PrPixelFormat) == 4, "PrPixelFormat width");
#endif
