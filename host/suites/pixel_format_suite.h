// What "PF Pixel Format Suite" keeps for one host: the pixel formats the effect declared, in
// order, and how often it cleared them.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "host/core/host.h"

namespace huewarp::host {

class DeclaredPixelFormats {
 public:
  void Add(int32_t format);
  /// Forgets the formats declared so far and counts the clear.
  void Clear();
  std::vector<int32_t> Formats() const;
  int Clears() const;

 private:
  mutable std::mutex mutex_;
  std::vector<int32_t> formats_;
  int clears_ = 0;
};

/// The formats declared on `host` since the last clear, in order.
inline std::vector<int32_t> PixelFormats(Host &host) {
  return host.SuiteState<DeclaredPixelFormats>().Formats();
}
inline int PixelFormatClears(Host &host) {
  return host.SuiteState<DeclaredPixelFormats>().Clears();
}

}  // namespace huewarp::host
