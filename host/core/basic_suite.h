// The basic suite through which the effect acquires and releases the suites of the host that
// runs its command; every acquisition and release passes the fault gate and the ledger.
#pragma once

#include "SPBasic.h"

namespace huewarp::host {

/// The basic suite table handed to the effect as `pica_basicP`.
SPBasicSuite *BasicSuite();

}  // namespace huewarp::host
