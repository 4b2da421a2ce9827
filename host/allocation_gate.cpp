#include "host/allocation_gate.h"

#include <atomic>

namespace huewarp::host {
namespace {

// Read by replacement allocators, possibly before any constructor has run: constant-initialised
// atomics and a thread-local that needs no allocation to reach.
#if defined(__GNUC__) && !defined(_WIN32)
__attribute__((tls_model("initial-exec")))
#endif
thread_local bool t_effect_code = false;

std::atomic<bool> g_armed{false};
std::atomic<bool> g_persistent{false};
std::atomic<long> g_fail_at{0};
std::atomic<long> g_count{0};
std::atomic<long> g_fired{0};

}  // namespace

EffectCodeScope::EffectCodeScope() : previous_(t_effect_code) { t_effect_code = true; }
EffectCodeScope::~EffectCodeScope() { t_effect_code = previous_; }

HostCodeScope::HostCodeScope() : previous_(t_effect_code) { t_effect_code = false; }
HostCodeScope::~HostCodeScope() { t_effect_code = previous_; }

void ArmAllocationGate(long fail_at, bool persistent) {
  g_armed = false;
  g_count = 0;
  g_fired = 0;
  g_fail_at = fail_at;
  g_persistent = persistent;
  g_armed = true;
}

void DisarmAllocationGate() { g_armed = false; }

long EffectAllocations() { return g_count; }

long AllocationFaultsFired() { return g_fired; }

bool AllocationMustFail() {
  if (!g_armed.load(std::memory_order_relaxed) || !t_effect_code) return false;
  const long number = ++g_count;
  const long fail_at = g_fail_at;
  if (fail_at <= 0) return false;
  const bool fail = g_persistent ? number >= fail_at : number == fail_at;
  if (fail) ++g_fired;
  return fail;
}

}  // namespace huewarp::host
