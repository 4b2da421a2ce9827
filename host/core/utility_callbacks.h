// The utility callbacks of PF_InData: handles, and the ANSI text functions.
#pragma once

#include "AE_Effect.h"

namespace huewarp::host {

/// The table a host hands to the effect as `utils`.
struct _PF_UtilCallbacks *UtilityCallbacks();

}  // namespace huewarp::host
