// The state of one command while the effect runs it: the records handed to the effect, the
// ledger that must balance when it returns, and the debugger output it sent. Host callbacks
// that carry no effect reference find it through the calling thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "host/core/ledger.h"

namespace huewarp::host {

class Host;
class Instance;
struct FrameState;

struct CommandContext {
  Host *host = nullptr;
  Instance *instance = nullptr;
  /// The frame being pre-rendered or rendered, for the smart-render callbacks.
  FrameState *frame = nullptr;
  PF_Cmd cmd = 0;
  PF_InData in_data{};
  PF_OutData out_data{};
  Ledger ledger;
  std::vector<std::string> debug_output;
  /// Host operations this command made, in order, as the fault gate labels them.
  std::vector<std::string> calls;
  /// Objects the host handed out for this command only (AEGP references); freed when it ends.
  std::vector<std::shared_ptr<void>> owned;
};

/// The command running on this thread, or null outside commands.
CommandContext *CurrentCommand();

/// The command an effect reference belongs to (the host hands out the context's address).
CommandContext *CommandFromRef(PF_ProgPtr effect_ref);

/// Makes a command current on this thread for its lifetime, restoring the previous one after.
class CommandScope {
 public:
  explicit CommandScope(CommandContext *context);
  ~CommandScope();
  CommandScope(const CommandScope &) = delete;
  CommandScope &operator=(const CommandScope &) = delete;

 private:
  CommandContext *previous_;
};

/// The current command's ledger; outside a command a process-wide one that nobody balances.
Ledger &CurrentLedger();

}  // namespace huewarp::host
