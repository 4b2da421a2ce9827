// One handler per command the effect answers; each lives in the folder that owns its subject.
// Every handler returns the command's PF_Err and may throw a PF_Err from a suite failure.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectUI.h"

namespace huewarp {

PF_Err About(PF_InData *in_data, PF_OutData *out_data);
PF_Err GlobalSetup(PF_InData *in_data, PF_OutData *out_data);
PF_Err ParamsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[]);
PF_Err UserChangedParam(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                        void *extra);
PF_Err HandleEvent(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                   PF_LayerDef *output, PF_EventExtra *extra);
PF_Err HandleArbitraryCallback(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                               PF_LayerDef *output, PF_ArbParamsExtra *extra);
PF_Err SmartPreRender(PF_InData *in_data, PF_OutData *out_data, PF_PreRenderExtra *extra);
PF_Err SmartRender(PF_InData *in_data, PF_OutData *out_data, PF_SmartRenderExtra *extra);

}  // namespace huewarp
