#include "host/suites/aegp_refs.h"

#include <map>
#include <mutex>
#include <string>

namespace huewarp::host {
namespace {

struct Registry {
  std::mutex mutex;
  std::map<const void *, Instance *> effects;
  std::map<const void *, StreamRefInfo> streams;
  std::map<const void *, std::uint64_t> stream_ids;
  std::uint64_t next_stream = 1;
};

Registry &Refs() {
  static Registry registry;
  return registry;
}

// A distinct address per reference; the registry entry goes when the command frees the token.
struct Token {
  std::uint64_t unused = 0;
};

}  // namespace

AEGP_EffectRefH NewEffectRef(CommandContext &command, Instance *instance) {
  auto token = std::make_shared<Token>();
  const void *key = token.get();
  {
    std::lock_guard lock(Refs().mutex);
    Refs().effects[key] = instance;
  }
  command.owned.push_back(std::shared_ptr<void>(token.get(), [token, key](void *) {
    std::lock_guard lock(Refs().mutex);
    Refs().effects.erase(key);
  }));
  return reinterpret_cast<AEGP_EffectRefH>(token.get());
}

Instance *InstanceOfEffectRef(AEGP_EffectRefH effect) {
  std::lock_guard lock(Refs().mutex);
  auto it = Refs().effects.find(effect);
  return it == Refs().effects.end() ? nullptr : it->second;
}

AEGP_StreamRefH NewStreamRef(CommandContext &command, Instance *instance, PF_ParamIndex index) {
  auto token = std::make_shared<Token>();
  const void *key = token.get();
  {
    std::lock_guard lock(Refs().mutex);
    Refs().streams[key] = {instance, index};
    Refs().stream_ids[key] = Refs().next_stream++;
  }
  command.owned.push_back(std::shared_ptr<void>(token.get(), [token, key](void *) {
    std::lock_guard lock(Refs().mutex);
    Refs().streams.erase(key);
    Refs().stream_ids.erase(key);
  }));
  return reinterpret_cast<AEGP_StreamRefH>(token.get());
}

bool LookUpStreamRef(AEGP_StreamRefH stream, StreamRefInfo *info) {
  std::lock_guard lock(Refs().mutex);
  auto it = Refs().streams.find(stream);
  if (it == Refs().streams.end()) return false;
  if (info) *info = it->second;
  return true;
}

std::string StreamName(AEGP_StreamRefH stream) {
  std::lock_guard lock(Refs().mutex);
  auto it = Refs().streams.find(stream);
  auto id = Refs().stream_ids.find(stream);
  if (it == Refs().streams.end() || id == Refs().stream_ids.end()) return "unknown stream";
  return "stream #" + std::to_string(id->second) + " (param " + std::to_string(it->second.index) +
         ")";
}

bool DisposeStreamRef(AEGP_StreamRefH stream) {
  std::lock_guard lock(Refs().mutex);
  return Refs().streams.erase(stream) > 0;
}

}  // namespace huewarp::host
