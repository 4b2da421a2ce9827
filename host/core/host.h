// The simulated host: loads the effect module, registers it, and sends it commands through
// EffectMain exactly as an After Effects-compatible host does, with every host operation behind
// the fault gate and every command checked by the ledger.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "AE_Effect.h"
#include "AE_PluginData.h"
#include "SPBasic.h"
#include "host/core/command_context.h"
#include "host/core/fault_gate.h"
#include "host/core/handles.h"
#include "host/core/info_panel.h"
#include "host/core/module.h"
#include "host/core/suite_registry.h"

namespace huewarp::host {

/// Application identifiers a host reports in `appl_id`.
inline constexpr int32_t kAfterEffects = 'FXTC';
inline constexpr int32_t kPremierePro = 'PrMr';

struct HostOptions {
  int32_t appl_id = kAfterEffects;
  /// Threads the iterate suites split a frame over (1 runs inline, in order).
  int iterate_threads = 1;
};

/// What the effect passed to the registration callback.
struct Registration {
  int calls = 0;
  PF_PluginDataPtr data = nullptr;
  std::string name, match_name, category, entry_point;
  int32_t kind = 0, api_major = 0, api_minor = 0, reserved = 0;
  A_Err result = 0;
};

/// The tables a host hands to the effect and the suites it offers. Their functions find the host
/// through the command that calls them, so a host holds them without knowing them; the full set
/// is assembled with the suites (host/suites/standard_host.cpp).
struct HostTables {
  SPBasicSuite *basic = nullptr;
  struct _PF_UtilCallbacks *utils = nullptr;
  const PF_InteractCallbacks *interact = nullptr;
  void (*register_suites)(SuiteRegistry &registry) = nullptr;
};

/// Everything a command needs besides the records the host builds itself.
struct CommandArgs {
  Instance *instance = nullptr;
  FrameState *frame = nullptr;
  PF_ParamDef **params = nullptr;
  PF_LayerDef *output = nullptr;
  void *extra = nullptr;
  A_long current_time = 0;
  A_long time_step = 1;
  A_u_long time_scale = 30;
  A_long num_params = 0;
};

/// What a command left behind.
struct CommandResult {
  PF_Err err = 0;
  PF_OutData out{};
  std::vector<std::string> debug_output;
  std::vector<std::string> calls;
  std::vector<std::string> violations;
};

class Host {
 public:
  Host(const std::string &module_path, HostOptions options, const HostTables &tables);
  /// A host with every table and suite this simulation implements; defined with the suites,
  /// the one floor that knows them all.
  explicit Host(const std::string &module_path, HostOptions options = {});
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

  /// Calls PluginDataEntryFunction with a callback that records its nine arguments.
  A_Err Register(const char *host_name = "Huewarp Host", const char *host_version = "1.0");
  const Registration &registration() const { return registration_; }

  /// Sends one command through EffectMain and checks the ledger afterwards.
  CommandResult Send(PF_Cmd cmd, const CommandArgs &args = {});
  CommandResult About() { return Send(PF_Cmd_ABOUT); }
  /// Global setup; a successful one installs the effect's global data for later commands.
  CommandResult GlobalSetup();

  /// Called with each accounting violation (tests turn them into failures).
  void SetViolationHandler(std::function<void(const std::string &)> handler);
  /// Balances a command's ledger and passes each violation to the handler. Send does this
  /// after every command; tests that drive suites inside their own command call it themselves.
  std::vector<std::string> CheckLedger(CommandContext &context);

  FaultGate &Faults() { return faults_; }
  HandleService &Handles() { return handles_; }
  SuiteRegistry &Suites() { return suites_; }
  InfoPanel &Info() { return info_; }
  const HostOptions &options() const { return options_; }
  void set_appl_id(int32_t appl_id) { options_.appl_id = appl_id; }
  void set_iterate_threads(int threads) { options_.iterate_threads = threads; }

  PF_Handle global_data() const { return global_data_; }

  /// The state one suite keeps for this host (what it was told, what it handed out), made on
  /// first use; the suite's own header says what it holds.
  template <class State>
  State &SuiteState() {
    std::lock_guard lock(mutex_);
    std::shared_ptr<void> &slot = suite_states_[std::type_index(typeid(State))];
    if (!slot) slot = std::make_shared<State>();
    return *static_cast<State *>(slot.get());
  }

 private:
  void FillInData(CommandContext &context, const CommandArgs &args);

  HostOptions options_;
  Module module_;
  FaultGate faults_;
  HandleService handles_;
  SuiteRegistry suites_;
  InfoPanel info_;
  Registration registration_;
  PF_Handle global_data_ = nullptr;
  std::function<void(const std::string &)> on_violation_;
  HostTables tables_;
  std::mutex mutex_;
  std::map<std::type_index, std::shared_ptr<void>> suite_states_;
};

}  // namespace huewarp::host
