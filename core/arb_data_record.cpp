#include "core/arb_data_record.h"

#include <cstring>

namespace huewarp {

ArbData DefaultArbData() {
  ArbData record{};
  record.current_handle = 3;
  record.current_alpha_handle = 3;
  record.color_slots_used = 5;
  record.alpha_slots_used = 5;
  record.last_color = {1.0f, 0.15f, 0.2f, 1.0f};
  record.last_position = 50.0;
  record.last_alpha_position = 50.0;
  record.last_alpha_value = 100.0;
  record.last_lock = 1;
  return record;
}

void FlattenArbData(const ArbData &record, std::span<std::uint8_t, kArbDataSize> out) {
  // The in-memory layout is the stored one (little-endian, no hidden padding).
  std::memcpy(out.data(), &record, kArbDataSize);
}

ArbData UnflattenArbData(std::span<const std::uint8_t, kArbDataSize> bytes) {
  ArbData record;
  std::memcpy(&record, bytes.data(), kArbDataSize);
  return record;
}

}  // namespace huewarp
