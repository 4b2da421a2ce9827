// How the fuzz targets read their input: a stream of little-endian values, and the one way they
// report a broken expectation. Past the end every value reads as zero, so any input, however
// short, decodes into something and libFuzzer's mutations stay meaningful.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <type_traits>

namespace huewarp::fuzz {

class FuzzInput {
 public:
  explicit FuzzInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Empty() const { return bytes_.empty(); }

  /// The next sizeof(T) bytes as a T, zero-filled past the end.
  template <class T>
  T Take() {
    static_assert(std::is_trivially_copyable_v<T>);
    std::array<std::uint8_t, sizeof(T)> raw{};
    const std::span<const std::uint8_t> taken = TakeBytes(sizeof(T));
    std::copy(taken.begin(), taken.end(), raw.begin());
    T value;
    std::memcpy(&value, raw.data(), sizeof(T));
    return value;
  }

  /// Up to `n` bytes, fewer at the end.
  std::span<const std::uint8_t> TakeBytes(std::size_t n) {
    const std::span<const std::uint8_t> taken = bytes_.first(std::min(n, bytes_.size()));
    bytes_ = bytes_.subspan(taken.size());
    return taken;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

/// Stops the process with `what` when `ok` is false: libFuzzer keeps the input as a crash, and
/// the replay driver fails its test. Not assert(): it must also hold in release builds.
inline void Require(bool ok, const char *what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace huewarp::fuzz
