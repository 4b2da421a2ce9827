// Loading the effect module as a host does: the shared object or DLL, its two exports, and
// (on Windows) the debugger-output import redirected into the host. Like a host application, the
// process loads a module once and keeps it until it exits; every Host on the same path shares
// it. Unloading would not give everything back: a mingw-built DLL takes a thread-local-storage
// slot per load that its runtime never frees, and Windows has about a thousand of them.
#pragma once

#include <string>

#include "AE_Effect.h"
#include "AE_PluginData.h"

namespace huewarp::host {

class Module {
 public:
  /// Loads the module, or finds it loaded; throws std::runtime_error naming the file when it
  /// cannot be loaded or lacks an export.
  explicit Module(const std::string &path);

  PF_FilterProc effect_main() const { return effect_main_; }
  PluginDataEntryFunctionPtr plugin_data_entry() const { return plugin_data_entry_; }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
  PF_FilterProc effect_main_ = nullptr;
  PluginDataEntryFunctionPtr plugin_data_entry_ = nullptr;
};

}  // namespace huewarp::host
