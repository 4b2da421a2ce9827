// The module's two exports. EffectMain is the boundary: it captures the standard output, calls
// exactly one handler by selector, turns a thrown PF_Err into the result and sends the trace.
#include <algorithm>
#include <iterator>

#include "AE_PluginData.h"
#include "shell/debug_capture.h"
#include "shell/effect_identity.h"
#include "shell/export.h"
#include "shell/handlers.h"

namespace huewarp {
namespace {

using Handler = PF_Err (*)(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *, void *);

struct Route {
  PF_Cmd cmd;
  Handler handler;
};

// Selectors without a route answer 0.
constexpr Route kRoutes[] = {
    {PF_Cmd_ABOUT, [](PF_InData *in, PF_OutData *out, PF_ParamDef *[], PF_LayerDef *,
                      void *) { return About(in, out); }},
    {PF_Cmd_GLOBAL_SETUP, [](PF_InData *in, PF_OutData *out, PF_ParamDef *[], PF_LayerDef *,
                             void *) { return GlobalSetup(in, out); }},
    {PF_Cmd_PARAMS_SETUP, [](PF_InData *in, PF_OutData *out, PF_ParamDef *params[], PF_LayerDef *,
                             void *) { return ParamsSetup(in, out, params); }},
    {PF_Cmd_USER_CHANGED_PARAM,
     [](PF_InData *in, PF_OutData *out, PF_ParamDef *params[], PF_LayerDef *, void *extra) {
       return UserChangedParam(in, out, params, extra);
     }},
    {PF_Cmd_EVENT,
     [](PF_InData *in, PF_OutData *out, PF_ParamDef *params[], PF_LayerDef *output, void *extra) {
       return HandleEvent(in, out, params, output, static_cast<PF_EventExtra *>(extra));
     }},
    {PF_Cmd_ARBITRARY_CALLBACK,
     [](PF_InData *in, PF_OutData *out, PF_ParamDef *params[], PF_LayerDef *output, void *extra) {
       return HandleArbitraryCallback(in, out, params, output,
                                      static_cast<PF_ArbParamsExtra *>(extra));
     }},
    {PF_Cmd_SMART_PRE_RENDER,
     [](PF_InData *in, PF_OutData *out, PF_ParamDef *[], PF_LayerDef *, void *extra) {
       return SmartPreRender(in, out, static_cast<PF_PreRenderExtra *>(extra));
     }},
    {PF_Cmd_SMART_RENDER,
     [](PF_InData *in, PF_OutData *out, PF_ParamDef *[], PF_LayerDef *, void *extra) {
       return SmartRender(in, out, static_cast<PF_SmartRenderExtra *>(extra));
     }},
};

PF_Err Dispatch(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                PF_LayerDef *output, void *extra) {
  const auto route = std::find_if(std::begin(kRoutes), std::end(kRoutes),
                                  [cmd](const Route &r) { return r.cmd == cmd; });
  if (route == std::end(kRoutes)) return PF_Err_NONE;
  return route->handler(in_data, out_data, params, output, extra);
}

}  // namespace
}  // namespace huewarp

HUEWARP_EXPORT PF_Err EffectMain(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data,
                                 PF_ParamDef *params[], PF_LayerDef *output, void *extra) {
  huewarp::StdoutCapture capture;
  PF_Err err = PF_Err_NONE;
  try {
    err = huewarp::Dispatch(cmd, in_data, out_data, params, output, extra);
  } catch (PF_Err thrown) {
    // Suite failures arrive as a bare error code; anything else passes on to the host.
    err = thrown;
  }
  capture.Send();
  return err;
}

HUEWARP_EXPORT A_Err PluginDataEntryFunction(PF_PluginDataPtr inPtr,
                                             PF_PluginDataCB inPluginDataCallBackPtr,
                                             SPBasicSuite * /*inSPBasicSuitePtr*/,
                                             const char * /*inHostName*/,
                                             const char * /*inHostVersion*/) {
  using namespace huewarp;
  auto text = [](const char *s) { return reinterpret_cast<const A_u_char *>(s); };
  return inPluginDataCallBackPtr(inPtr, text(kEffectName), text(kMatchName), text(kCategory),
                                 text(kEntryPointName), kEffectKind, HUEWARP_API_MAJOR,
                                 HUEWARP_API_MINOR, HUEWARP_RESERVED_INFO);
}
