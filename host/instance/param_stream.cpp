#include "host/instance/param_stream.h"

#include <cstring>

#include <algorithm>
#include <cmath>

namespace huewarp::host {
namespace {

A_u_long Scale(StreamTime t) { return t.scale ? t.scale : 1; }

/// How far `t` lies from `a` to `b`, from exact tick differences: a keyframe time or a point
/// halfway between two gives an exact fraction whatever the scales.
double Fraction(StreamTime t, StreamTime a, StreamTime b) {
  const std::int64_t from_a =
      static_cast<std::int64_t>(t.value) * Scale(a) - static_cast<std::int64_t>(a.value) * Scale(t);
  const std::int64_t span =
      static_cast<std::int64_t>(b.value) * Scale(a) - static_cast<std::int64_t>(a.value) * Scale(b);
  return static_cast<double>(from_a) * Scale(b) / (static_cast<double>(span) * Scale(t));
}

A_u_char Channel8(float v) {
  return static_cast<A_u_char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

ParamValue ParamValue::Float(double value) {
  ParamValue v;
  v.kind_ = Kind::kFloat;
  v.number_ = value;
  return v;
}

ParamValue ParamValue::Angle(PF_Fixed degrees) {
  ParamValue v;
  v.kind_ = Kind::kAngle;
  v.integer_ = degrees;
  return v;
}

ParamValue ParamValue::Int(std::int32_t value) {
  ParamValue v;
  v.kind_ = Kind::kInt;
  v.integer_ = value;
  return v;
}

ParamValue ParamValue::Color(PF_Pixel color) {
  // The same conversion the colour suite applies to an 8-bit definition.
  auto f = [](A_u_char c) { return c / 255.0f; };
  return Color(PF_PixelFloat{f(color.alpha), f(color.red), f(color.green), f(color.blue)});
}

ParamValue ParamValue::Color(PF_PixelFloat color) {
  ParamValue v;
  v.kind_ = Kind::kColor;
  v.color_ = color;
  return v;
}

PF_Pixel ParamValue::AsColor8() const {
  return {Channel8(color_.alpha), Channel8(color_.red), Channel8(color_.green),
          Channel8(color_.blue)};
}

bool ParamValue::operator==(const ParamValue &other) const {
  if (kind_ != other.kind_) return false;
  switch (kind_) {
    case Kind::kFloat:
      return number_ == other.number_;
    case Kind::kAngle:
    case Kind::kInt:
      return integer_ == other.integer_;
    case Kind::kColor:
      return color_.alpha == other.color_.alpha && color_.red == other.color_.red &&
             color_.green == other.color_.green && color_.blue == other.color_.blue;
  }
  return false;
}

ParamValue Interpolate(const ParamValue &a, const ParamValue &b, double t) {
  auto lerp = [t](double x, double y) { return x + (y - x) * t; };
  switch (a.kind()) {
    case ParamValue::Kind::kFloat:
      return ParamValue::Float(lerp(a.AsFloat(), b.AsFloat()));
    case ParamValue::Kind::kAngle:
      return ParamValue::Angle(static_cast<PF_Fixed>(std::lround(lerp(a.AsAngle(), b.AsAngle()))));
    case ParamValue::Kind::kColor: {
      const PF_PixelFloat x = a.AsColorFloat(), y = b.AsColorFloat();
      auto channel = [&](float p, float q) { return static_cast<float>(lerp(p, q)); };
      return ParamValue::Color(PF_PixelFloat{channel(x.alpha, y.alpha), channel(x.red, y.red),
                                             channel(x.green, y.green), channel(x.blue, y.blue)});
    }
    case ParamValue::Kind::kInt:
      break;
  }
  return a;
}

int CompareTimes(StreamTime a, StreamTime b) {
  // Cross-multiplied in 64 bits: exact for every pair of 32-bit times and scales.
  const std::int64_t left = static_cast<std::int64_t>(a.value) * Scale(b);
  const std::int64_t right = static_cast<std::int64_t>(b.value) * Scale(a);
  return (left > right) - (left < right);
}

ParamValue ParamStream::ValueAt(StreamTime time) const {
  if (keyframes_.empty()) return constant_;
  if (CompareTimes(time, keyframes_.front().time) <= 0) return keyframes_.front().value;
  if (CompareTimes(time, keyframes_.back().time) >= 0) return keyframes_.back().value;
  const auto next = std::find_if(keyframes_.begin(), keyframes_.end(), [time](const Keyframe &k) {
    return CompareTimes(k.time, time) > 0;
  });
  const Keyframe &before = *(next - 1);
  if (CompareTimes(before.time, time) == 0) return before.value;
  return Interpolate(before.value, next->value, Fraction(time, before.time, next->time));
}

void ParamStream::SetKeyframe(StreamTime time, ParamValue value) {
  const auto at = std::find_if(keyframes_.begin(), keyframes_.end(), [time](const Keyframe &k) {
    return CompareTimes(k.time, time) >= 0;
  });
  if (at != keyframes_.end() && CompareTimes(at->time, time) == 0) {
    at->value = value;
    return;
  }
  keyframes_.insert(at, Keyframe{time, value});
}

namespace {

constexpr std::uint32_t kFloatColorTag = 0x48576663;  // "HWfc"

struct FloatColorStamp {
  std::uint32_t tag;
  PF_Pixel value8;
  PF_PixelFloat color;
};
constexpr std::size_t kStampOffset = 16;
static_assert(kStampOffset + sizeof(FloatColorStamp) <= sizeof(PF_ParamDefUnion));

}  // namespace

void StampFloatColor(PF_ParamDef &def, const PF_PixelFloat &color) {
  const FloatColorStamp stamp{kFloatColorTag, def.u.cd.value, color};
  std::memcpy(reinterpret_cast<std::uint8_t *>(&def.u) + kStampOffset, &stamp, sizeof stamp);
}

std::optional<PF_PixelFloat> StampedFloatColor(const PF_ParamDef &def) {
  FloatColorStamp stamp;
  std::memcpy(&stamp, reinterpret_cast<const std::uint8_t *>(&def.u) + kStampOffset, sizeof stamp);
  if (stamp.tag != kFloatColorTag ||
      std::memcmp(&stamp.value8, &def.u.cd.value, sizeof(PF_Pixel)) != 0) {
    return std::nullopt;
  }
  return stamp.color;
}

std::optional<ParamValue> ValueOfDefinition(const PF_ParamDef &def) {
  switch (def.param_type) {
    case PF_Param_FLOAT_SLIDER:
      return ParamValue::Float(def.u.fs_d.value);
    case PF_Param_ANGLE:
      return ParamValue::Angle(def.u.ad.value);
    case PF_Param_POPUP:
      return ParamValue::Int(def.u.pd.value);
    case PF_Param_CHECKBOX:
      return ParamValue::Int(def.u.bd.value);
    case PF_Param_COLOR:
      if (const auto exact = StampedFloatColor(def)) return ParamValue::Color(*exact);
      return ParamValue::Color(def.u.cd.value);
    default:
      return std::nullopt;
  }
}

}  // namespace huewarp::host
