#include "host/core/handles.h"

#include <cstdlib>
#include <cstring>

namespace huewarp::host {

HandleService::~HandleService() {
  for (auto &[handle, block] : blocks_) {
    std::free(block->data);
    delete block;
  }
}

HandleService::Block *HandleService::Find(PF_Handle handle) const {
  auto it = blocks_.find(handle);
  return it == blocks_.end() ? nullptr : it->second;
}

PF_Handle HandleService::New(std::size_t size) {
  auto *block = new Block{std::malloc(size ? size : 1), size, 0, 0};
  std::memset(block->data, 0xA5, size);
  std::lock_guard lock(mutex_);
  block->id = next_id_++;
  auto handle = reinterpret_cast<PF_Handle>(&block->data);
  blocks_[handle] = block;
  return handle;
}

void *HandleService::Data(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  Block *b = Find(handle);
  return b ? b->data : nullptr;
}

std::size_t HandleService::Size(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  Block *b = Find(handle);
  return b ? b->size : 0;
}

bool HandleService::IsLive(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  return Find(handle) != nullptr;
}

void HandleService::Dispose(PF_Handle handle) {
  Block *b = nullptr;
  {
    std::lock_guard lock(mutex_);
    b = Find(handle);
    if (!b) return;
    blocks_.erase(handle);
  }
  std::free(b->data);
  delete b;
}

int HandleService::AddLock(PF_Handle handle, int delta) {
  std::lock_guard lock(mutex_);
  Block *b = Find(handle);
  if (!b) return -1;
  b->locks += delta;
  return b->locks;
}

int HandleService::LiveCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(blocks_.size());
}

std::span<const std::uint8_t> HandleService::Bytes(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  Block *b = Find(handle);
  if (!b) return {};
  return {static_cast<const std::uint8_t *>(b->data), b->size};
}

std::string HandleService::Name(PF_Handle handle) const {
  std::lock_guard lock(mutex_);
  Block *b = Find(handle);
  return b ? "handle #" + std::to_string(b->id) : "unknown handle";
}

}  // namespace huewarp::host
