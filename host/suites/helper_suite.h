// What "AE Plugin Helper Suite2" keeps for one host: the tools (PF_ExtendedSuiteTool) the effect
// made current, in order.
#pragma once

#include <mutex>
#include <vector>

#include "AE_Effect.h"
#include "host/core/host.h"

namespace huewarp::host {

class ExtendedToolLog {
 public:
  void Note(A_long tool);
  std::vector<A_long> Tools() const;

 private:
  mutable std::mutex mutex_;
  std::vector<A_long> tools_;
};

/// The tools made current on `host`, in order.
inline std::vector<A_long> ExtendedTools(Host &host) {
  return host.SuiteState<ExtendedToolLog>().Tools();
}

}  // namespace huewarp::host
