#include "host/core/host_call.h"

#include <string>

#include "host/core/command_context.h"
#include "host/core/host.h"

namespace huewarp::host {
namespace {

FaultDecision Decide(std::string_view op, std::string_view detail) {
  CommandContext *context = CurrentCommand();
  if (!context || !context->host) return {};
  std::string label(op);
  if (!detail.empty()) {
    label += '(';
    label += detail;
    label += ')';
  }
  context->calls.push_back(std::move(label));
  return context->host->Faults().Check(op, detail);
}

}  // namespace

// The host-code mark (the first base) is in place before the label and the decision are made.
HostCall::HostCall(std::string_view op, std::string_view detail)
    : FaultDecision(Decide(op, detail)) {}

HostCall Consult(std::string_view op, std::string_view detail) { return HostCall(op, detail); }

}  // namespace huewarp::host
