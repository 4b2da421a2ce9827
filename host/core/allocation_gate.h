// A countdown gate for the effect's own allocations, in the spirit of the host fault gate: while
// armed, the Nth allocation made by the effect's code fails, once or for good. The gate decides;
// a test executable that replaces operator new and malloc asks it (AllocationMustFail) on every
// allocation. Only allocations made while the effect's code runs count: the host marks the
// thread as effect code while it calls into the module, and every host shim marks itself as host
// code again (through Consult, the first thing each shim runs), so the host's own allocations
// never fail.
#pragma once

namespace huewarp::host {

/// Marks the calling thread as running the effect's code until the scope ends.
class EffectCodeScope {
 public:
  EffectCodeScope();
  ~EffectCodeScope();
  EffectCodeScope(const EffectCodeScope &) = delete;
  EffectCodeScope &operator=(const EffectCodeScope &) = delete;

 private:
  bool previous_;
};

/// Marks the calling thread as running the host's code until the scope ends.
class HostCodeScope {
 public:
  HostCodeScope();
  ~HostCodeScope();
  HostCodeScope(const HostCodeScope &) = delete;
  HostCodeScope &operator=(const HostCodeScope &) = delete;

 private:
  bool previous_;
};

/// Counts the effect's allocations from now on; with `fail_at` > 0 the fail_at-th of them fails,
/// and with `persistent` every one after it too. Counters start again from 0.
void ArmAllocationGate(long fail_at = 0, bool persistent = false);
/// Stops counting and failing.
void DisarmAllocationGate();
/// Allocations by the effect's code since the gate was armed.
long EffectAllocations();
/// Allocations the gate failed since it was armed.
long AllocationFaultsFired();

/// For replacement allocators: counts one allocation and says whether it must fail. Safe to call
/// before static initialisation and from any thread; allocates nothing.
bool AllocationMustFail();

}  // namespace huewarp::host
