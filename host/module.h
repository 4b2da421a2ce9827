// Loading the effect module as a host does: the shared object or DLL, its two exports, and
// (on Windows) the debugger-output import redirected into the host.
#pragma once

#include <string>

#include "AE_Effect.h"
#include "AE_PluginData.h"

namespace huewarp::host {

class Module {
 public:
  /// Loads the module; throws std::runtime_error naming the file when it cannot.
  explicit Module(const std::string &path);
  ~Module();
  Module(const Module &) = delete;
  Module &operator=(const Module &) = delete;

  PF_FilterProc effect_main() const { return effect_main_; }
  PluginDataEntryFunctionPtr plugin_data_entry() const { return plugin_data_entry_; }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
  void *library_ = nullptr;
  PF_FilterProc effect_main_ = nullptr;
  PluginDataEntryFunctionPtr plugin_data_entry_ = nullptr;
};

}  // namespace huewarp::host
