#include "host/command_context.h"

#include "host/host.h"

namespace huewarp::host {
namespace {
thread_local CommandContext *t_current = nullptr;
}

CommandContext *CurrentCommand() { return t_current; }

CommandContext *CommandFromRef(PF_ProgPtr effect_ref) {
  return effect_ref ? reinterpret_cast<CommandContext *>(effect_ref) : t_current;
}

CommandScope::CommandScope(CommandContext *context) : previous_(t_current) { t_current = context; }

CommandScope::~CommandScope() { t_current = previous_; }

namespace {

FaultDecision Decide(std::string_view op, std::string_view detail) {
  CommandContext *context = t_current;
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

Ledger &CurrentLedger() {
  static Ledger stray;
  return t_current ? t_current->ledger : stray;
}

}  // namespace huewarp::host
