// Effect callback suites: handles, worlds, pixel iteration and pixel formats.
// Written from the published facts (64-bit Windows layout).
#pragma once

#include "AE_EffectCB.h"
#include "AE_EffectPixelFormat.h"

#ifdef __cplusplus
extern "C" {
#endif

#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 2

typedef struct PF_HandleSuite1 {
  PF_Handle (*host_new_handle)(A_HandleSize size);
  void *(*host_lock_handle)(PF_Handle pf_handle);
  void (*host_unlock_handle)(PF_Handle pf_handle);
  void (*host_dispose_handle)(PF_Handle pf_handle);
  A_HandleSize (*host_get_handle_size)(PF_Handle pf_handle);
  PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle *handlePH);
} PF_HandleSuite1;

#define kPFWorldSuite "PF World Suite"
#define kPFWorldSuiteVersion1 1
#define kPFWorldSuiteVersion2 2

typedef struct PF_WorldSuite2 {
  PF_Err (*PF_NewWorld)(PF_ProgPtr effect_ref, A_long widthL, A_long heightL, PF_Boolean clear_pixB,
                        PF_PixelFormat pixel_format, PF_EffectWorld *worldP);
  PF_Err (*PF_DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld *worldP);
  PF_Err (*PF_GetPixelFormat)(const PF_EffectWorld *worldP, PF_PixelFormat *pixel_formatP);
} PF_WorldSuite2;

#define kPFIterate8Suite "PF Iterate8 Suite"
#define kPFIterate8SuiteVersion1 1
#define kPFIterate8SuiteVersion2 2
#define kPFIterate16Suite "PF iterate16 Suite"
#define kPFIterate16SuiteVersion1 1
#define kPFIterate16SuiteVersion2 2
#define kPFIterateFloatSuite "PF iterateFloat Suite"
#define kPFIterateFloatSuiteVersion1 1
#define kPFIterateFloatSuiteVersion2 2

#define HUEWARP_SDK_ITERATE8_MEMBERS                                                          \
  PF_Err (*iterate)(                                                                          \
      PF_InData * in_data, A_long progress_base, A_long progress_final, PF_EffectWorld * src, \
      const PF_Rect *area, void *refcon,                                                      \
      PF_Err (*pix_fn)(void *refcon, A_long x, A_long y, PF_Pixel *in, PF_Pixel *out),        \
      PF_EffectWorld *dst);                                                                   \
  PF_Err (*iterate_origin)(                                                                   \
      PF_InData * in_data, A_long progress_base, A_long progress_final, PF_EffectWorld * src, \
      const PF_Rect *area, const PF_Point *origin, void *refcon,                              \
      PF_Err (*pix_fn)(void *refcon, A_long x, A_long y, PF_Pixel *in, PF_Pixel *out),        \
      PF_EffectWorld *dst);                                                                   \
  PF_Err (*iterate_lut)(PF_InData * in_data, A_long progress_base, A_long progress_final,     \
                        PF_EffectWorld * src, const PF_Rect *area, A_u_char *a_lut0,          \
                        A_u_char *r_lut0, A_u_char *g_lut0, A_u_char *b_lut0,                 \
                        PF_EffectWorld *dst);                                                 \
  PF_Err (*iterate_origin_non_clip_src)(                                                      \
      PF_InData * in_data, A_long progress_base, A_long progress_final, PF_EffectWorld * src, \
      const PF_Rect *area, const PF_Point *origin, void *refcon,                              \
      PF_Err (*pix_fn)(void *refcon, A_long x, A_long y, PF_Pixel *in, PF_Pixel *out),        \
      PF_EffectWorld *dst);                                                                   \
  PF_Err (*iterate_generic)(                                                                  \
      A_long iterationsL, void *refconPV,                                                     \
      PF_Err (*fn_func)(void *refconPV, A_long thread_indexL, A_long i, A_long iterationsL));

typedef struct PF_Iterate8Suite1 {
  HUEWARP_SDK_ITERATE8_MEMBERS
} PF_Iterate8Suite1;
typedef struct PF_Iterate8Suite2 {
  HUEWARP_SDK_ITERATE8_MEMBERS
} PF_Iterate8Suite2;

#define HUEWARP_SDK_ITERATE_DEEP_MEMBERS(PIXEL, FUNC)                                              \
  PF_Err (*iterate)(PF_InData * in_data, A_long progress_base, A_long progress_final,              \
                    PF_EffectWorld * src, const PF_Rect *area, void *refcon, FUNC pix_fn,          \
                    PF_EffectWorld *dst);                                                          \
  PF_Err (*iterate_origin)(PF_InData * in_data, A_long progress_base, A_long progress_final,       \
                           PF_EffectWorld * src, const PF_Rect *area, const PF_Point *origin,      \
                           void *refcon, FUNC pix_fn, PF_EffectWorld *dst);                        \
  PF_Err (*iterate_origin_non_clip_src)(PF_InData * in_data, A_long progress_base,                 \
                                        A_long progress_final, PF_EffectWorld * src,               \
                                        const PF_Rect *area, const PF_Point *origin, void *refcon, \
                                        FUNC pix_fn, PF_EffectWorld *dst);

typedef struct PF_iterate16Suite1 {
  HUEWARP_SDK_ITERATE_DEEP_MEMBERS(PF_Pixel16, PF_IteratePixel16Func)
} PF_Iterate16Suite1;
typedef struct PF_iterate16Suite2 {
  HUEWARP_SDK_ITERATE_DEEP_MEMBERS(PF_Pixel16, PF_IteratePixel16Func)
} PF_Iterate16Suite2;
typedef struct PF_iterateFloatSuite1 {
  HUEWARP_SDK_ITERATE_DEEP_MEMBERS(PF_PixelFloat, PF_IteratePixelFloatFunc)
} PF_IterateFloatSuite1;
typedef struct PF_iterateFloatSuite2 {
  HUEWARP_SDK_ITERATE_DEEP_MEMBERS(PF_PixelFloat, PF_IteratePixelFloatFunc)
} PF_IterateFloatSuite2;

#undef HUEWARP_SDK_ITERATE8_MEMBERS
#undef HUEWARP_SDK_ITERATE_DEEP_MEMBERS

#define kPFPixelFormatSuiteVersion2 2

#ifdef __cplusplus
}

static_assert(sizeof(PF_HandleSuite1) == 48 && offsetof(PF_HandleSuite1, host_dispose_handle) == 24,
              "PF_HandleSuite1 layout");
static_assert(sizeof(PF_WorldSuite2) == 24 && offsetof(PF_WorldSuite2, PF_GetPixelFormat) == 16,
              "PF_WorldSuite2 layout");
static_assert(sizeof(PF_Iterate8Suite1) == 40 && sizeof(PF_Iterate8Suite2) == 40 &&
                  sizeof(PF_Iterate16Suite1) == 24 && sizeof(PF_Iterate16Suite2) == 24 &&
                  sizeof(PF_IterateFloatSuite1) == 24 && sizeof(PF_IterateFloatSuite2) == 24,
              "iterate suite layouts");
#endif
