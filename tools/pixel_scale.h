// 16-bit channel codes of files and movies (0..65535) against the effect's 16-bit scale
// (0..32768). Both directions round to nearest, so every value the effect can hold survives a
// trip out and back.
#pragma once

#include <algorithm>
#include <cstdint>

namespace huewarp::tool {

inline std::uint16_t FromFile16(std::uint32_t v) {
  return static_cast<std::uint16_t>((v * 65536u + 65535u) / 131070u);
}

inline std::uint16_t ToFile16(std::uint32_t v) {
  v = std::min<std::uint32_t>(v, 32768u);
  return static_cast<std::uint16_t>((v * 131070u + 32768u) / 65536u);
}

}  // namespace huewarp::tool
