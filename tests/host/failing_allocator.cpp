// Replaces operator new and malloc for the whole test process, so that the host's allocation gate
// can fail the effect's allocations. The Linux module imports both from the process (operator
// new through the shared C++ runtime), so these definitions reach it. A mingw module links its
// own C++ runtime and allocator, which nothing in the host executable can replace: there the
// replacements are left out and the allocation sweep has nothing to count.
#ifndef _WIN32

#include <cerrno>
#include <cstdlib>
#include <new>

#include "host/core/allocation_gate.h"

// A sanitizer's runtime allocates while it starts, before its shadow memory exists, so nothing on
// the way to the allocator underneath may be instrumented.
#define HUEWARP_UNINSTRUMENTED __attribute__((no_sanitize("address", "thread", "undefined")))

// The allocator underneath: a sanitizer's when one is linked in, otherwise the C library's. Their
// names are the runtimes' own, reserved ones.
extern "C" void *__libc_malloc(std::size_t size);  // NOLINT(bugprone-reserved-identifier)
// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" __attribute__((weak)) void *__interceptor_malloc(std::size_t size);

namespace {

HUEWARP_UNINSTRUMENTED void *UnderlyingMalloc(std::size_t size) {
  return __interceptor_malloc ? __interceptor_malloc(size) : __libc_malloc(size);
}

HUEWARP_UNINSTRUMENTED void *Allocate(std::size_t size) noexcept {
  if (huewarp::host::AllocationMustFail()) return nullptr;
  return UnderlyingMalloc(size == 0 ? 1 : size);
}

void *AllocateOrThrow(std::size_t size) {
  void *p = Allocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

extern "C" HUEWARP_UNINSTRUMENTED void *malloc(std::size_t size) noexcept {
  if (huewarp::host::AllocationMustFail()) {
    errno = ENOMEM;
    return nullptr;
  }
  return UnderlyingMalloc(size);
}

void *operator new(std::size_t size) { return AllocateOrThrow(size); }
void *operator new[](std::size_t size) { return AllocateOrThrow(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return Allocate(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return Allocate(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }

#endif
