// Effect suites: parameter utilities, floating-point colours and the custom UI drawing
// reference. Written from the published facts (64-bit Windows layout).
#pragma once

#include "AE_EffectUI.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef A_long PF_KeyIndex;
typedef A_long PF_TimeDir;
typedef struct {
  A_char opaque[16];
} PF_State;

#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3

typedef struct PF_ParamUtilsSuite3 {
  PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                             const PF_ParamDef *defP);
  PF_Err (*PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                               const A_Time *startPT0, const A_Time *durationPT0, PF_State *stateP);
  PF_Err (*PF_AreStatesIdentical)(PF_ProgPtr effect_ref, const PF_State *state1P,
                                  const PF_State *state2P, A_Boolean *samePB);
  PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                   A_long what_time1, A_long time_step1, A_u_long time_scale1,
                                   A_long what_time2, A_long time_step2, A_u_long time_scale2,
                                   PF_Boolean *identicalPB);
  PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time,
                                A_u_long time_scale, PF_TimeDir time_dir, PF_Boolean *foundPB,
                                PF_KeyIndex *key_indexP0, A_long *key_timeP0,
                                A_u_long *key_timescaleP0);
  PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex *key_countP);
  PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                                PF_KeyIndex key_index, A_long *key_timeP0,
                                A_u_long *key_timescaleP0, PF_ParamDef *paramP0);
  PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef *paramP);
  PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index,
                              PF_KeyIndex key_indexP, A_long *key_timeP, A_u_long *key_timescaleP);
} PF_ParamUtilsSuite3;

#define kPFColorParamSuite "PF ColorParamSuite"
#define kPFColorParamSuiteVersion1 1

typedef struct PF_ColorParamSuite1 {
  PF_Err (*PF_GetFloatingPointColorFromColorDef)(PF_ProgPtr effect_ref,
                                                 const PF_ParamDef *color_defP,
                                                 PF_PixelFloat *fp_colorP);
} PF_ColorParamSuite1;

#define kPFEffectCustomUISuite "PF Effect Custom UI Suite"
#define kPFEffectCustomUISuiteVersion1 1

typedef struct PF_EffectCustomUISuite1 {
  PF_Err (*PF_GetDrawingReference)(const PF_ContextH effect_contextH, DRAWBOT_DrawRef *referenceP0);
} PF_EffectCustomUISuite1;

#ifdef __cplusplus
}

static_assert(sizeof(PF_ParamUtilsSuite3) == 72, "PF_ParamUtilsSuite3 layout");
static_assert(sizeof(PF_ColorParamSuite1) == 8 && sizeof(PF_EffectCustomUISuite1) == 8,
              "single-function suite layouts");
#endif
