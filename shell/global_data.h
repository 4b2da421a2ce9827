// The process-wide record created at global setup and kept in a host handle until the host
// unloads the effect. Its layout is fixed: 12 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AE_Effect.h"

namespace huewarp {

struct GlobalData {
  std::uint8_t initialized;
  /// The host's AEGP plug-in identifier (not written in Premiere Pro).
  std::int32_t plugin_id;
  /// 1 when the marker last grabbed in the editor was an alpha handle; read by drags.
  std::uint8_t alpha_grabbed;
};

static_assert(sizeof(GlobalData) == 12);
static_assert(offsetof(GlobalData, plugin_id) == 4 && offsetof(GlobalData, alpha_grabbed) == 8);

/// The global record the host passes back, or null before setup. Read through the handle's
/// master pointer: the record never moves after setup.
inline GlobalData *GlobalDataOf(const PF_InData *in_data) {
  if (!in_data || !in_data->global_data) return nullptr;
  return static_cast<GlobalData *>(*in_data->global_data);
}

/// The AEGP plug-in identifier from the global record; 0 before setup.
inline std::int32_t PluginIdOf(const PF_InData *in_data) {
  const GlobalData *global = GlobalDataOf(in_data);
  return global ? global->plugin_id : 0;
}

}  // namespace huewarp
