// The process-wide record created at global setup and kept in a host handle until the host
// unloads the effect. Its layout is fixed: 12 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

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

}  // namespace huewarp
