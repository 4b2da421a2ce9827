// Handle operations shared by the utility callbacks and "PF Handle Suite".
#pragma once

#include "AE_Effect.h"

namespace huewarp::host {

PF_Handle NewHandle(A_u_longlong size);
void *LockHandle(PF_Handle handle);
void UnlockHandle(PF_Handle handle);
void DisposeHandle(PF_Handle handle);
A_u_longlong HandleSize(PF_Handle handle);
PF_Err ResizeHandle(A_u_longlong new_size, PF_Handle *handle);

}  // namespace huewarp::host
