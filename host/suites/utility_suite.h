// What "AEGP Utility Suite" keeps for one host: the plug-in identifiers AEGP_RegisterWithAEGP
// handed out, which the AEGP suites check the effect's requests against.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "host/core/host.h"

namespace huewarp::host {

class PluginIds {
 public:
  /// Hands out the next identifier (7000 upwards) and remembers it.
  int32_t Next();
  /// Every identifier handed out, in order.
  std::vector<int32_t> All() const;

 private:
  mutable std::mutex mutex_;
  std::vector<int32_t> ids_;
};

/// Plug-in identifiers handed out on `host`, in order.
inline std::vector<int32_t> RegisteredPluginIds(Host &host) {
  return host.SuiteState<PluginIds>().All();
}

}  // namespace huewarp::host
