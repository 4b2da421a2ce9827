// The fault gate as every shim meets it: each host operation is labelled, noted in the command's
// list of calls and answered by the gate of the host that runs the command.
#pragma once

#include <string_view>

#include "host/core/allocation_gate.h"
#include "host/core/fault_gate.h"

namespace huewarp::host {

/// The gate's answer to one host call. It also marks the rest of the shim that holds it as host
/// code, so the host's own allocations there never meet the allocation gate; hence shims keep
/// it in a local for their whole run.
struct HostCall : HostCodeScope, FaultDecision {
  HostCall(std::string_view op, std::string_view detail);
};

/// Passes the fault gate of the current command's host. Outside a command nothing fails.
[[nodiscard]] HostCall Consult(std::string_view op, std::string_view detail = {});

}  // namespace huewarp::host
