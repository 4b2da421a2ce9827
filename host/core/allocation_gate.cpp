#include "host/core/allocation_gate.h"

namespace huewarp::host {
namespace {

// Read by replacement allocators, possibly before any constructor has run and, under a sanitizer,
// while its runtime is still starting (its own start-up allocates): constant-initialised plain
// variables, read by uninstrumented code, with the compiler's atomic builtins once armed.
#if defined(__GNUC__) && !defined(_WIN32)
#define HUEWARP_UNINSTRUMENTED __attribute__((no_sanitize("address", "thread", "undefined")))
__attribute__((tls_model("initial-exec")))
#else
#define HUEWARP_UNINSTRUMENTED
#endif
thread_local bool t_effect_code = false;

bool g_armed = false;
bool g_persistent = false;
long g_fail_at = 0;
long g_count = 0;
long g_fired = 0;

}  // namespace

EffectCodeScope::EffectCodeScope() : previous_(t_effect_code) { t_effect_code = true; }
EffectCodeScope::~EffectCodeScope() { t_effect_code = previous_; }

HostCodeScope::HostCodeScope() : previous_(t_effect_code) { t_effect_code = false; }
HostCodeScope::~HostCodeScope() { t_effect_code = previous_; }

void ArmAllocationGate(long fail_at, bool persistent) {
  __atomic_store_n(&g_armed, false, __ATOMIC_SEQ_CST);
  __atomic_store_n(&g_count, 0, __ATOMIC_SEQ_CST);
  __atomic_store_n(&g_fired, 0, __ATOMIC_SEQ_CST);
  __atomic_store_n(&g_fail_at, fail_at, __ATOMIC_SEQ_CST);
  __atomic_store_n(&g_persistent, persistent, __ATOMIC_SEQ_CST);
  __atomic_store_n(&g_armed, true, __ATOMIC_SEQ_CST);
}

void DisarmAllocationGate() { __atomic_store_n(&g_armed, false, __ATOMIC_SEQ_CST); }

long EffectAllocations() { return __atomic_load_n(&g_count, __ATOMIC_SEQ_CST); }

long AllocationFaultsFired() { return __atomic_load_n(&g_fired, __ATOMIC_SEQ_CST); }

HUEWARP_UNINSTRUMENTED bool AllocationMustFail() {
  // A plain read: the gate is armed and disarmed only while no effect code runs.
  if (!g_armed || !t_effect_code) return false;
  const long number = __atomic_add_fetch(&g_count, 1, __ATOMIC_SEQ_CST);
  const long fail_at = __atomic_load_n(&g_fail_at, __ATOMIC_SEQ_CST);
  if (fail_at <= 0) return false;
  const bool fail =
      __atomic_load_n(&g_persistent, __ATOMIC_SEQ_CST) ? number >= fail_at : number == fail_at;
  if (fail) __atomic_add_fetch(&g_fired, 1, __ATOMIC_SEQ_CST);
  return fail;
}

}  // namespace huewarp::host
