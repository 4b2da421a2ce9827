// The interaction callbacks of PF_InData: parameter declaration, custom UI registration and
// parameter checkout, forwarded to the instance the command belongs to.
#pragma once

#include "AE_Effect.h"

namespace huewarp::host {

/// The table a host copies into `inter`.
const PF_InteractCallbacks &InteractCallbacks();

}  // namespace huewarp::host
