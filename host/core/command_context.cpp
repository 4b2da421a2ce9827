#include "host/core/command_context.h"

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

Ledger &CurrentLedger() {
  static Ledger stray;
  return t_current ? t_current->ledger : stray;
}

}  // namespace huewarp::host
