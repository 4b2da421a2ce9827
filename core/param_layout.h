// Where every parameter sits in the host's parameter array. Indices and identifiers are stored
// in host projects, so they never change once projects exist; every other file addresses
// parameters through the names here. Index 0 is the host's input layer. Slot numbers N are
// 1-based (1..kMaxSlots).
#pragma once

#include <cstdint>

#include "AE_Effect.h"

namespace huewarp {

/// Colour-stop slots and alpha-handle slots the parameter list holds.
inline constexpr int kMaxSlots = 100;

// The fixed parameters, in declaration order.
inline constexpr PF_ParamIndex kInputLayerIndex = 0;
inline constexpr PF_ParamIndex kInputRangeIndex = 1;
inline constexpr PF_ParamIndex kInputRangeOffsetIndex = 2;
inline constexpr PF_ParamIndex kFlipInputRangeIndex = 3;
inline constexpr PF_ParamIndex kValuesOver1Index = 4;
/// Carries the ColorGrid control.
inline constexpr PF_ParamIndex kOutputRangeIndex = 5;
// The proxies of the current colour stop and alpha handle.
inline constexpr PF_ParamIndex kColorIndex = 6;
inline constexpr PF_ParamIndex kPositionIndex = 7;
inline constexpr PF_ParamIndex kAlphaPositionIndex = 8;
inline constexpr PF_ParamIndex kAlphaValueIndex = 9;
inline constexpr PF_ParamIndex kLockAlphaHandlesIndex = 10;
inline constexpr PF_ParamIndex kDiscreteColorTransitionsIndex = 11;
inline constexpr PF_ParamIndex kCycleScaleIndex = 12;
inline constexpr PF_ParamIndex kSmoothWrapIndex = 13;
inline constexpr PF_ParamIndex kColorsGroupStartIndex = 14;
inline constexpr PF_ParamIndex kColorsGroupEndIndex = 215;
inline constexpr PF_ParamIndex kAlphaHandlesGroupStartIndex = 216;
inline constexpr PF_ParamIndex kAlphaHandlesGroupEndIndex = 417;
inline constexpr PF_ParamIndex kCompositeOverOriginalIndex = 418;
inline constexpr PF_ParamIndex kBlendWithOriginalIndex = 419;
/// Set once the slots a new instance does not use have been hidden.
inline constexpr PF_ParamIndex kFlagsInitializedIndex = 420;
/// The hidden arbitrary-data parameter holding the ArbData record.
inline constexpr PF_ParamIndex kArbDataIndex = 421;

/// Parameters the host counts, the input layer included.
inline constexpr A_long kNumParams = 422;

/// Color N, Position N, Alpha N Position and Alpha N Value.
constexpr PF_ParamIndex ColorSlotIndex(int n) { return 13 + 2 * n; }
constexpr PF_ParamIndex PositionSlotIndex(int n) { return 14 + 2 * n; }
constexpr PF_ParamIndex AlphaPositionSlotIndex(int n) { return 215 + 2 * n; }
constexpr PF_ParamIndex AlphaValueSlotIndex(int n) { return 216 + 2 * n; }

/// Identifiers of the slot parameters.
constexpr A_long ColorSlotId(int n) { return 116 + n; }
constexpr A_long PositionSlotId(int n) { return 16 + n; }
constexpr A_long AlphaPositionSlotId(int n) { return 216 + n; }
constexpr A_long AlphaValueSlotId(int n) { return 316 + n; }

/// The identifier projects store the values of the parameter at `index` under (1..421; 0 for the
/// input layer). The fixed parameters' identifiers do not follow their order.
constexpr A_long ParamId(PF_ParamIndex index) {
  switch (index) {
    case kInputLayerIndex:
      return 0;
    case kInputRangeIndex:
      return 1;
    case kInputRangeOffsetIndex:
      return 2;
    case kFlipInputRangeIndex:
      return 420;
    case kValuesOver1Index:
      return 3;
    case kOutputRangeIndex:
      return 4;
    case kColorIndex:
      return 5;
    case kPositionIndex:
      return 6;
    case kAlphaPositionIndex:
      return 7;
    case kAlphaValueIndex:
      return 8;
    case kLockAlphaHandlesIndex:
      return 9;
    case kDiscreteColorTransitionsIndex:
      return 10;
    case kCycleScaleIndex:
      return 11;
    case kSmoothWrapIndex:
      return 12;
    case kColorsGroupStartIndex:
      return 13;
    case kColorsGroupEndIndex:
      return 14;
    case kAlphaHandlesGroupStartIndex:
      return 15;
    case kAlphaHandlesGroupEndIndex:
      return 16;
    case kCompositeOverOriginalIndex:
      return 421;
    case kBlendWithOriginalIndex:
      return 417;
    case kFlagsInitializedIndex:
      return 418;
    case kArbDataIndex:
      return 419;
    default:
      break;
  }
  // Colour slots take odd indices and their positions even ones; alpha slots the same way.
  if (index < kColorsGroupEndIndex) {
    const int n = (index - ColorSlotIndex(0)) / 2;
    return index % 2 ? ColorSlotId(n) : PositionSlotId(n);
  }
  const int n = (index - AlphaPositionSlotIndex(0)) / 2;
  return index % 2 ? AlphaPositionSlotId(n) : AlphaValueSlotId(n);
}

/// The refcon of the ArbData parameter; any other refcon marks a foreign parameter.
inline void *const kArbDataRefcon = reinterpret_cast<void *>(UINT64_C(0xdeadbeefdeadbeef));

// Each block starts right after the one before it and the groups enclose exactly their slots.
static_assert(ColorSlotIndex(1) == kColorsGroupStartIndex + 1);
static_assert(PositionSlotIndex(kMaxSlots) == kColorsGroupEndIndex - 1);
static_assert(kAlphaHandlesGroupStartIndex == kColorsGroupEndIndex + 1);
static_assert(AlphaPositionSlotIndex(1) == kAlphaHandlesGroupStartIndex + 1);
static_assert(AlphaValueSlotIndex(kMaxSlots) == kAlphaHandlesGroupEndIndex - 1);
static_assert(kCompositeOverOriginalIndex == kAlphaHandlesGroupEndIndex + 1);
static_assert(kArbDataIndex == kFlagsInitializedIndex + 1 && kNumParams == kArbDataIndex + 1);
static_assert(ColorSlotId(1) == 117 && ColorSlotId(kMaxSlots) == 216);
static_assert(PositionSlotId(1) == 17 && PositionSlotId(kMaxSlots) == 116);
static_assert(AlphaPositionSlotId(1) == 217 && AlphaValueSlotId(kMaxSlots) == 416);
static_assert(ParamId(ColorSlotIndex(7)) == ColorSlotId(7) &&
              ParamId(PositionSlotIndex(kMaxSlots)) == PositionSlotId(kMaxSlots) &&
              ParamId(AlphaPositionSlotIndex(1)) == AlphaPositionSlotId(1) &&
              ParamId(AlphaValueSlotIndex(kMaxSlots)) == AlphaValueSlotId(kMaxSlots));
// Projects tell parameters apart by identifier: 1..421, each used once.
static_assert([] {
  bool used[kNumParams] = {};
  for (PF_ParamIndex index = 1; index < kNumParams; ++index) {
    const A_long id = ParamId(index);
    if (id < 1 || id >= kNumParams || used[id]) return false;
    used[id] = true;
  }
  return true;
}());

}  // namespace huewarp
