// Host memory handles: created, locked, unlocked and disposed on behalf of the effect, with
// lock counts kept so a command that leaves a handle locked is caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>

#include "AE_Effect.h"

namespace huewarp::host {

/// Thread-safe store of every live handle. A handle is a pointer to the block's data pointer,
/// as the host API defines it; new blocks are filled with 0xA5 so a missed write shows.
class HandleService {
 public:
  ~HandleService();

  PF_Handle New(std::size_t size);
  /// Data of a live handle, or null for an unknown one.
  void *Data(PF_Handle handle) const;
  std::size_t Size(PF_Handle handle) const;
  bool IsLive(PF_Handle handle) const;
  void Dispose(PF_Handle handle);
  /// Lock depth kept per handle; the ledger of the running command checks balance.
  int AddLock(PF_Handle handle, int delta);
  int LiveCount() const;
  /// Bytes of a live handle (empty for an unknown one).
  std::span<const std::uint8_t> Bytes(PF_Handle handle) const;
  std::string Name(PF_Handle handle) const;

 private:
  struct Block {
    void *data;
    std::size_t size;
    int locks;
    std::uint64_t id;
  };
  Block *Find(PF_Handle handle) const;

  mutable std::mutex mutex_;
  std::map<PF_Handle, Block *> blocks_;
  std::uint64_t next_id_ = 1;
};

}  // namespace huewarp::host
