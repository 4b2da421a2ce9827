// The interaction callbacks of PF_InData: parameter declaration, custom UI registration and
// parameter checkout. They forward to the effect instance the command belongs to.
#include "host/command_context.h"
#include "host/host.h"

namespace huewarp::host {
namespace {

PF_Err AddParam(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr) {
  const FaultDecision fault = Consult("add_param");
  return fault.fail ? fault.code : PF_Err_NONE;
}

PF_Err RegisterUi(PF_ProgPtr, PF_CustomUIInfo *) {
  const FaultDecision fault = Consult("register_ui");
  return fault.fail ? fault.code : PF_Err_NONE;
}

PF_Err CheckoutParam(PF_ProgPtr, PF_ParamIndex, A_long, A_long, A_u_long, PF_ParamDef *) {
  const FaultDecision fault = Consult("checkout_param");
  return fault.fail ? fault.code : PF_Err_INVALID_INDEX;
}

PF_Err CheckinParam(PF_ProgPtr, PF_ParamDef *) {
  const FaultDecision fault = Consult("checkin_param");
  return fault.fail ? fault.code : PF_Err_NONE;
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
