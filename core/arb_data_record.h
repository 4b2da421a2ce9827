// The ArbData record the hidden "ArbData" parameter holds: a stored contract of 56 bytes,
// little-endian, the same bytes in memory and in a project, never reordered. Plain data: the
// handlers that read it and the host-handle requests about it live above core.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "AE_Effect.h"

namespace huewarp {

struct ArbData {
  /// Slot number (1..100) of the current colour stop and alpha handle.
  std::uint16_t current_handle;
  std::uint16_t current_alpha_handle;
  /// Highest colour and alpha slot in use.
  std::uint16_t color_slots_used;
  std::uint16_t alpha_slots_used;
  /// The proxies as last reconciled; they tell which side of a proxy pair changed.
  PF_PixelFloat last_color;
  double last_position;
  double last_alpha_position;
  double last_alpha_value;
  std::uint8_t last_lock;
  std::uint8_t padding[7];
};

inline constexpr std::size_t kArbDataSize = 56;

static_assert(std::endian::native == std::endian::little, "the flattened record is little-endian");
static_assert(sizeof(ArbData) == kArbDataSize);
static_assert(offsetof(ArbData, current_handle) == 0 &&
              offsetof(ArbData, current_alpha_handle) == 2);
static_assert(offsetof(ArbData, color_slots_used) == 4 && offsetof(ArbData, alpha_slots_used) == 6);
static_assert(offsetof(ArbData, last_color) == 8 && offsetof(ArbData, last_position) == 24);
static_assert(offsetof(ArbData, last_alpha_position) == 32);
static_assert(offsetof(ArbData, last_alpha_value) == 40 && offsetof(ArbData, last_lock) == 48);
static_assert(offsetof(ArbData, padding) == 49);

/// The record of a new instance: the default gradient's five stops and handles, slot 3 current.
/// Its last_color deliberately differs from "Color", so the first reconciliation copies it.
ArbData DefaultArbData();

/// The stored bytes of a record, and a record from stored bytes.
void FlattenArbData(const ArbData &record, std::span<std::uint8_t, kArbDataSize> out);
ArbData UnflattenArbData(std::span<const std::uint8_t, kArbDataSize> bytes);

}  // namespace huewarp
