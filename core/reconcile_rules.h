// The value rules of change handling, free of host calls so they can be checked in tables:
// when two values count as equal, which side of a proxy pair the user changed, and what a
// switch of "Lock Alpha Handles" means. Positions and values are as the parameters hold them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "AE_Effect.h"
#include "core/param_layout.h"

namespace huewarp {

/// True when a and b, taken as f32, differ by less than (float)10^-digits. Callers pass 3.
inline bool NearlyEqual(double a, double b, int digits) {
  const float tolerance = static_cast<float>(std::pow(10.0, -digits));
  return tolerance > std::fabs(static_cast<float>(a) - static_cast<float>(b));
}

/// True when red, green and blue each differ by less than 0.001; alpha is not compared.
inline bool ColorsMatch(const PF_PixelFloat &a, const PF_PixelFloat &b) {
  return NearlyEqual(a.red, b.red, 3) && NearlyEqual(a.green, b.green, 3) &&
         NearlyEqual(a.blue, b.blue, 3);
}

/// Which side of a proxy pair ("Position" and Position cur, say) holds the user's change.
enum class ProxyEdit {
  kNone,
  /// The proxy moved away from its last reconciled value: copy it into the slot.
  kProxy,
  /// The proxy is where it was but the slot differs (edited directly, or a new current slot):
  /// copy the slot into the proxy.
  kSlot,
};

inline ProxyEdit ProxyEditOf(double last, double proxy, double slot) {
  if (!NearlyEqual(last, proxy, 3)) return ProxyEdit::kProxy;
  if (!NearlyEqual(proxy, slot, 3)) return ProxyEdit::kSlot;
  return ProxyEdit::kNone;
}

inline ProxyEdit ProxyEditOf(const PF_PixelFloat &last, const PF_PixelFloat &proxy,
                             const PF_PixelFloat &slot) {
  if (!ColorsMatch(last, proxy)) return ProxyEdit::kProxy;
  if (!ColorsMatch(proxy, slot)) return ProxyEdit::kSlot;
  return ProxyEdit::kNone;
}

enum class LockSwitch { kNone, kOn, kOff };

/// "Lock Alpha Handles" as the parameter holds it against its last reconciled value.
inline LockSwitch LockSwitchOf(A_long lock, std::uint8_t last_lock) {
  if (lock && !last_lock) return LockSwitch::kOn;
  if (!lock && last_lock) return LockSwitch::kOff;
  return LockSwitch::kNone;
}

/// A slot number from the record, kept within 1..kMaxSlots so a damaged record cannot address
/// parameters outside its group.
inline int ClampSlot(int n) { return std::clamp(n, 1, kMaxSlots); }

}  // namespace huewarp
