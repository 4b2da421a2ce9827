// Scoped ownership of host handles inside one command, so an error thrown by a suite failure
// cannot leave a handle locked or a new handle unowned.
#pragma once

#include "AE_Effect.h"

namespace huewarp {

using UnlockFn = void (*)(PF_Handle);
using DisposeFn = void (*)(PF_Handle);

/// Locks a handle for its lifetime; `data()` is null when the handle is null or the lock failed.
/// Lock and unlock come from one table (the handle suite or the utility callbacks), so a handle
/// is never unlocked through a table other than the one that locked it.
class ScopedHandleLock {
 public:
  template <class Table>
  ScopedHandleLock(PF_Handle handle, const Table &table)
      : handle_(handle),
        unlock_(table.host_unlock_handle),
        data_(handle ? table.host_lock_handle(handle) : nullptr) {}
  ~ScopedHandleLock() {
    if (data_) unlock_(handle_);
  }
  ScopedHandleLock(const ScopedHandleLock &) = delete;
  ScopedHandleLock &operator=(const ScopedHandleLock &) = delete;

  void *data() const { return data_; }
  template <class T>
  T *as() const {
    return static_cast<T *>(data_);
  }

 private:
  PF_Handle handle_;
  UnlockFn unlock_;
  void *data_;
};

/// A new handle that is disposed at the end of the scope unless it was handed over.
class PendingHandle {
 public:
  PendingHandle(PF_Handle handle, DisposeFn dispose) : handle_(handle), dispose_(dispose) {}
  ~PendingHandle() {
    if (handle_) dispose_(handle_);
  }
  PendingHandle(const PendingHandle &) = delete;
  PendingHandle &operator=(const PendingHandle &) = delete;

  PF_Handle get() const { return handle_; }
  /// Gives the handle to its new owner (the host, or a record the host keeps).
  PF_Handle Release() {
    PF_Handle h = handle_;
    handle_ = nullptr;
    return h;
  }

 private:
  PF_Handle handle_;
  DisposeFn dispose_;
};

}  // namespace huewarp
