// "AEGP PF Interface Suite" 1, "AEGP Stream Suite" 7 and "AEGP Dynamic Stream Suite" 2: the
// effect's own AEGP reference and the streams of its parameters (values and hidden flags).
#include <algorithm>

#include "AE_GeneralPlug.h"
#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/instance/instance.h"
#include "host/suites/aegp_refs.h"
#include "host/suites/suites.h"
#include "host/suites/utility_suite.h"

namespace huewarp::host {
namespace {

bool KnownPluginId(const CommandContext &command, AEGP_PluginID id) {
  const auto ids = RegisteredPluginIds(*command.host);
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

A_Err GetNewEffectForEffect(AEGP_PluginID plugin_id, PF_ProgPtr effect_pp_ref,
                            AEGP_EffectRefH *effect) {
  const HostCall fault = Consult("AEGP_GetNewEffectForEffect");
  if (effect) *effect = nullptr;
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : A_Err_NONE;
  CommandContext *command = CommandFromRef(effect_pp_ref);
  if (!command || !command->instance || !effect || !KnownPluginId(*command, plugin_id))
    return A_Err_PARAMETER;
  *effect = NewEffectRef(*command, command->instance);
  command->ledger.Acquire(Resource::kEffectRef, "effect", "AEGP_GetNewEffectForEffect");
  return A_Err_NONE;
}

A_Err GetNewEffectStreamByIndex(AEGP_PluginID plugin_id, AEGP_EffectRefH effect,
                                PF_ParamIndex index, AEGP_StreamRefH *stream) {
  const HostCall fault = Consult("AEGP_GetNewEffectStreamByIndex");
  if (stream) *stream = nullptr;
  if (fault.fail) return fault.kind == FaultKind::kError ? fault.code : A_Err_NONE;
  CommandContext *command = CurrentCommand();
  Instance *instance = InstanceOfEffectRef(effect);
  if (!command || !instance || !stream || !KnownPluginId(*command, plugin_id))
    return A_Err_PARAMETER;
  if (index < 0 || index >= instance->ParamCount()) return A_Err_PARAMETER;
  *stream = NewStreamRef(*command, instance, index);
  command->ledger.Acquire(Resource::kStream, StreamName(*stream), "AEGP_GetNewEffectStreamByIndex");
  return A_Err_NONE;
}

A_Err DisposeStream(AEGP_StreamRefH stream) {
  const HostCall fault = Consult("AEGP_DisposeStream");
  const std::string name = StreamName(stream);
  // Given back even when the host reports an error.
  if (!DisposeStreamRef(stream)) return A_Err_PARAMETER;
  CurrentLedger().Release(Resource::kStream, name, "AEGP_DisposeStream");
  return fault.fail ? fault.code : A_Err_NONE;
}

A_Err SetStreamValue(AEGP_PluginID plugin_id, AEGP_StreamRefH stream, AEGP_StreamValue *value) {
  const HostCall fault = Consult("AEGP_SetStreamValue");
  if (fault.fail) return fault.code;
  StreamRefInfo info;
  CommandContext *command = CurrentCommand();
  if (!command || !value || !LookUpStreamRef(stream, &info) || !KnownPluginId(*command, plugin_id))
    return A_Err_PARAMETER;
  const PF_ParamDef def = info.instance->Definition(info.index);
  ParamValue v;
  switch (def.param_type) {
    case PF_Param_COLOR: {
      const AEGP_ColorVal &c = value->val.color;
      v = ParamValue::Color(PF_PixelFloat{static_cast<float>(c.alphaF), static_cast<float>(c.redF),
                                          static_cast<float>(c.greenF),
                                          static_cast<float>(c.blueF)});
      break;
    }
    case PF_Param_FLOAT_SLIDER:
      v = ParamValue::Float(value->val.one_d);
      break;
    case PF_Param_ANGLE:
      v = ParamValue::Angle(static_cast<PF_Fixed>(value->val.one_d * 65536.0));
      break;
    case PF_Param_POPUP:
    case PF_Param_CHECKBOX:
      v = ParamValue::Int(static_cast<A_long>(value->val.one_d));
      break;
    default:
      return A_Err_PARAMETER;
  }
  return info.instance->SetValueFromEffect(info.index, v) ? A_Err_PARAMETER : A_Err_NONE;
}

A_Err GetDynamicStreamFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags *flags) {
  const HostCall fault = Consult("AEGP_GetDynamicStreamFlags");
  if (fault.fail) return fault.code;
  StreamRefInfo info;
  if (!flags || !LookUpStreamRef(stream, &info)) return A_Err_PARAMETER;
  *flags = info.instance->DynamicStreamFlags(info.index);
  return A_Err_NONE;
}

A_Err SetDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag, A_Boolean undoable,
                           A_Boolean set) {
  const HostCall fault = Consult("AEGP_SetDynamicStreamFlag");
  if (fault.fail) return fault.code;
  StreamRefInfo info;
  if (!LookUpStreamRef(stream, &info)) return A_Err_PARAMETER;
  return info.instance->SetDynamicStreamFlagFromEffect(info.index, flag, set != 0, undoable != 0)
             ? A_Err_PARAMETER
             : A_Err_NONE;
}

}  // namespace

void RegisterAegpSuites(SuiteRegistry &registry) {
  static AEGP_PFInterfaceSuite1 pf_interface = [] {
    AEGP_PFInterfaceSuite1 s{};
    s.AEGP_GetNewEffectForEffect = GetNewEffectForEffect;
    return s;
  }();
  static AEGP_StreamSuite2 streams = [] {
    AEGP_StreamSuite2 s{};
    s.AEGP_GetNewEffectStreamByIndex = GetNewEffectStreamByIndex;
    s.AEGP_DisposeStream = DisposeStream;
    s.AEGP_SetStreamValue = SetStreamValue;
    return s;
  }();
  static AEGP_DynamicStreamSuite2 dynamic = [] {
    AEGP_DynamicStreamSuite2 s{};
    s.AEGP_GetDynamicStreamFlags = GetDynamicStreamFlags;
    s.AEGP_SetDynamicStreamFlag = SetDynamicStreamFlag;
    return s;
  }();
  registry.Add(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &pf_interface);
  registry.Add(kAEGPStreamSuite, kAEGPStreamSuiteVersion2, &streams);
  registry.Add(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &dynamic);
}

}  // namespace huewarp::host
