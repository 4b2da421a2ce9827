#include "host/ui/interact_callbacks.h"

#include <cstdio>
#include <string>

#include "host/core/command_context.h"
#include "host/core/host.h"
#include "host/core/host_call.h"
#include "host/instance/instance.h"

namespace huewarp::host {
namespace {

Instance *InstanceOf(PF_ProgPtr effect_ref) {
  CommandContext *context = CommandFromRef(effect_ref);
  return context ? context->instance : nullptr;
}

/// Checkouts are matched to check-ins by the definition the effect passes to both.
std::string CheckoutKey(const PF_ParamDef *param) {
  char key[32];
  std::snprintf(key, sizeof key, "%p", static_cast<const void *>(param));
  return key;
}

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  const HostCall fault = Consult("add_param");
  if (fault.fail) return fault.code;
  Instance *instance = InstanceOf(effect_ref);
  if (!instance || !def) return PF_Err_BAD_CALLBACK_PARAM;
  return instance->AddParam(index, *def);
}

PF_Err RegisterUi(PF_ProgPtr effect_ref, PF_CustomUIInfo *info) {
  const HostCall fault = Consult("register_ui");
  if (fault.fail) return fault.code;
  Instance *instance = InstanceOf(effect_ref);
  if (!instance || !info) return PF_Err_BAD_CALLBACK_PARAM;
  return instance->RegisterUi(*info);
}

PF_Err CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long,
                     A_u_long time_scale, PF_ParamDef *param) {
  const HostCall fault = Consult("checkout_param", std::to_string(index));
  if (fault.fail) return fault.code;
  Instance *instance = InstanceOf(effect_ref);
  if (!instance || !param) return PF_Err_BAD_CALLBACK_PARAM;
  if (const PF_Err err = instance->Checkout(index, {what_time, time_scale}, param)) return err;
  CurrentLedger().Acquire(Resource::kParamCheckout, CheckoutKey(param), "checkout_param");
  return PF_Err_NONE;
}

PF_Err CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef *param) {
  const HostCall fault = Consult("checkin_param");
  if (fault.fail) return fault.code;
  Instance *instance = InstanceOf(effect_ref);
  if (!instance || !param) return PF_Err_BAD_CALLBACK_PARAM;
  instance->NoteCheckin();
  CurrentLedger().Release(Resource::kParamCheckout, CheckoutKey(param), "checkin_param");
  return PF_Err_NONE;
}

}  // namespace

const PF_InteractCallbacks &InteractCallbacks() {
  static const PF_InteractCallbacks inter = [] {
    PF_InteractCallbacks i{};
    i.checkout_param = CheckoutParam;
    i.checkin_param = CheckinParam;
    i.add_param = AddParam;
    i.register_ui = RegisterUi;
    return i;
  }();
  return inter;
}

}  // namespace huewarp::host
