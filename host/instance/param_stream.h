// Parameter values as a host keeps them: a value of one kind, and a stream of such values over
// time that may hold keyframes. Times are ticks of a time scale (ticks per second), as in the
// host records; streams compare times of different scales exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "AE_Effect.h"

namespace huewarp::host {

/// One value of a float slider (double), an angle (degrees in 16.16), a popup choice or checkbox
/// state (int), or a colour (kept as float channels, readable as 8-bit).
class ParamValue {
 public:
  enum class Kind : std::uint8_t { kFloat, kAngle, kInt, kColor };

  ParamValue() = default;
  static ParamValue Float(double value);
  static ParamValue Angle(PF_Fixed degrees);
  static ParamValue Int(std::int32_t value);
  static ParamValue Color(PF_Pixel color);
  static ParamValue Color(PF_PixelFloat color);

  Kind kind() const { return kind_; }
  double AsFloat() const { return number_; }
  PF_Fixed AsAngle() const { return static_cast<PF_Fixed>(integer_); }
  std::int32_t AsInt() const { return integer_; }
  PF_PixelFloat AsColorFloat() const { return color_; }
  /// Rounded to the nearest 8-bit step, channels clamped to 0..1 first.
  PF_Pixel AsColor8() const;

  /// Exact equality of kind and value.
  bool operator==(const ParamValue &other) const;

 private:
  Kind kind_ = Kind::kFloat;
  double number_ = 0;
  std::int32_t integer_ = 0;
  PF_PixelFloat color_{};
};

/// The value `t` of the way from `a` to `b` (same kind): linear for floats, angles and colours,
/// held at `a` for popups and checkboxes.
ParamValue Interpolate(const ParamValue &a, const ParamValue &b, double t);

/// A point in time: `value` ticks of a clock running at `scale` ticks per second.
struct StreamTime {
  A_long value = 0;
  A_u_long scale = 1;
};

/// -1, 0 or 1 as `a` is before, at or after `b`.
int CompareTimes(StreamTime a, StreamTime b);

struct Keyframe {
  StreamTime time;
  ParamValue value;
};

/// A value over time: constant without keyframes; with keyframes, held before the first and
/// after the last, interpolated between them. Not thread-safe on its own (the instance guards it).
class ParamStream {
 public:
  explicit ParamStream(ParamValue constant) : constant_(constant) {}

  ParamValue::Kind kind() const { return constant_.kind(); }
  ParamValue ValueAt(StreamTime time) const;

  /// The value used while there are no keyframes.
  const ParamValue &constant() const { return constant_; }
  void SetConstant(ParamValue value) { constant_ = value; }

  /// Adds a keyframe, replacing one at the same time; keyframes stay in time order.
  void SetKeyframe(StreamTime time, ParamValue value);
  const std::vector<Keyframe> &keyframes() const { return keyframes_; }
  void ClearKeyframes() { keyframes_.clear(); }

 private:
  ParamValue constant_;
  std::vector<Keyframe> keyframes_;
};

/// Colour definitions the host hands out also carry the full-precision colour, in host-private
/// bytes of the definition beyond the 8-bit value, as hosts keep more than 8 bits per channel.
/// The colour suite reads it back; a definition whose 8-bit value was changed since reads as 8-bit.
void StampFloatColor(PF_ParamDef &def, const PF_PixelFloat &color);
std::optional<PF_PixelFloat> StampedFloatColor(const PF_ParamDef &def);

/// The value a definition holds (colours at full precision where the stamp is intact); empty for
/// parameters without a value.
std::optional<ParamValue> ValueOfDefinition(const PF_ParamDef &def);

}  // namespace huewarp::host
