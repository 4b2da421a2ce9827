// Saving an instance as a host saves it in a project, and loading it into a fresh instance:
// every parameter's stream with its keyframes, the dynamic stream flags, and each arbitrary-data
// record in the form the effect flattens it to. Parameters are matched by identifier, as host
// projects store them.
//
// The format is ours: little-endian binary, "HWPJ" and a version, then the time scale and one
// entry per parameter (identifier, type, flags, stream, record). Readers refuse any other version.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "AE_Effect.h"
#include "host/instance/instance.h"

namespace huewarp::host {

inline constexpr std::uint32_t kProjectVersion = 1;

/// Writes the instance into `bytes`; the first error the effect returns while flattening ends it.
PF_Err SaveProject(Instance &instance, std::vector<std::uint8_t> *bytes);

/// Loads a saved instance into `instance`, which has been set up with the same effect. Throws
/// std::runtime_error naming the problem when the bytes are not such a project, or name a
/// parameter the instance lacks; returns the effect's error when a record cannot be unflattened.
PF_Err LoadProject(Instance &instance, std::span<const std::uint8_t> bytes);

}  // namespace huewarp::host
