#include "host/instance/project.h"

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

namespace huewarp::host {
namespace {

constexpr char kMagic[4] = {'H', 'W', 'P', 'J'};

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t> &out) : out_(out) {}
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U32(std::uint32_t v) { Little(v, 4); }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }
  void F64(double v) { Little(std::bit_cast<std::uint64_t>(v), 8); }
  void Bytes(std::span<const std::uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }

  void Value(const ParamValue &value) {
    U8(static_cast<std::uint8_t>(value.kind()));
    switch (value.kind()) {
      case ParamValue::Kind::kFloat:
        F64(value.AsFloat());
        break;
      case ParamValue::Kind::kAngle:
      case ParamValue::Kind::kInt:
        I32(value.AsInt());
        break;
      case ParamValue::Kind::kColor: {
        const PF_PixelFloat c = value.AsColorFloat();
        for (float channel : {c.alpha, c.red, c.green, c.blue}) F32(channel);
        break;
      }
    }
  }

 private:
  void Little(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> &out_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
  bool AtEnd() const { return pos_ == in_.size(); }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Little(1)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Little(4)); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  float F32() { return std::bit_cast<float>(U32()); }
  double F64() { return std::bit_cast<double>(Little(8)); }
  std::span<const std::uint8_t> Bytes(std::size_t n) {
    Need(n);
    const auto bytes = in_.subspan(pos_, n);
    pos_ += n;
    return bytes;
  }

  ParamValue Value() {
    switch (static_cast<ParamValue::Kind>(U8())) {
      case ParamValue::Kind::kFloat:
        return ParamValue::Float(F64());
      case ParamValue::Kind::kAngle:
        return ParamValue::Angle(I32());
      case ParamValue::Kind::kInt:
        return ParamValue::Int(I32());
      case ParamValue::Kind::kColor: {
        PF_PixelFloat c;
        c.alpha = F32();
        c.red = F32();
        c.green = F32();
        c.blue = F32();
        return ParamValue::Color(c);
      }
    }
    throw std::runtime_error("project: unknown value kind at byte " + std::to_string(pos_ - 1));
  }

 private:
  void Need(std::size_t n) const {
    if (in_.size() - pos_ < n) throw std::runtime_error("project: truncated");
  }
  std::uint64_t Little(int bytes) {
    Need(bytes);
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(in_[pos_ + i]) << (8 * i);
    pos_ += bytes;
    return v;
  }
  std::span<const std::uint8_t> in_;
  std::size_t pos_ = 0;
};

/// One parameter as stored.
struct Entry {
  A_long id = 0;
  PF_ParamType type = 0;
  AEGP_DynStreamFlags dyn_flags = 0;
  std::optional<ParamStream> stream;
  std::optional<std::vector<std::uint8_t>> record;
};

Entry ReadEntry(Reader &in) {
  Entry entry;
  entry.id = in.I32();
  entry.type = in.I32();
  entry.dyn_flags = in.U32();
  if (in.U8()) {
    ParamStream stream(in.Value());
    for (std::uint32_t n = in.U32(); n > 0; --n) {
      StreamTime time;
      time.value = in.I32();
      time.scale = in.U32();
      stream.SetKeyframe(time, in.Value());
    }
    entry.stream = std::move(stream);
  }
  if (in.U8()) {
    const auto bytes = in.Bytes(in.U32());
    entry.record.emplace(bytes.begin(), bytes.end());
  }
  return entry;
}

}  // namespace

PF_Err SaveProject(Instance &instance, std::vector<std::uint8_t> *bytes) {
  std::vector<std::uint8_t> out;
  Writer w(out);
  for (char c : kMagic) w.U8(static_cast<std::uint8_t>(c));
  w.U32(kProjectVersion);
  w.U32(instance.time_scale());
  const int count = instance.ParamCount();
  // Index 0, the input layer, belongs to the composition, not to the effect.
  w.U32(static_cast<std::uint32_t>(count - 1));
  for (PF_ParamIndex i = 1; i < count; ++i) {
    const PF_ParamDef def = instance.Definition(i);
    w.I32(def.uu.id);
    w.I32(def.param_type);
    w.U32(instance.DynamicStreamFlags(i));
    const std::optional<ParamStream> stream = instance.Stream(i);
    w.U8(stream.has_value());
    if (stream) {
      w.Value(stream->constant());
      w.U32(static_cast<std::uint32_t>(stream->keyframes().size()));
      for (const Keyframe &key : stream->keyframes()) {
        w.I32(key.time.value);
        w.U32(key.time.scale);
        w.Value(key.value);
      }
    }
    const PF_ArbitraryH record = instance.Records().Value(i);
    w.U8(record != nullptr);
    if (record) {
      std::vector<std::uint8_t> flat;
      if (const PF_Err err = instance.Records().Flatten(i, record, &flat)) return err;
      w.U32(static_cast<std::uint32_t>(flat.size()));
      w.Bytes(flat);
    }
  }
  *bytes = std::move(out);
  return PF_Err_NONE;
}

PF_Err LoadProject(Instance &instance, std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  const auto magic = in.Bytes(sizeof kMagic);
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) {
    throw std::runtime_error("project: not a Huewarp project");
  }
  if (const std::uint32_t version = in.U32(); version != kProjectVersion) {
    throw std::runtime_error("project: unsupported version " + std::to_string(version));
  }
  in.U32();  // the time scale is kept per keyframe, so the instance's own can stay
  const std::uint32_t count = in.U32();
  if (count > bytes.size()) throw std::runtime_error("project: parameter count out of range");
  std::vector<Entry> entries(count);
  for (Entry &entry : entries) entry = ReadEntry(in);
  if (!in.AtEnd()) throw std::runtime_error("project: trailing bytes");

  // Everything is checked before anything changes.
  std::vector<PF_ParamIndex> indices;
  for (const Entry &entry : entries) {
    const PF_ParamIndex index = instance.IndexOfId(entry.id);
    if (index < 0 || instance.Definition(index).param_type != entry.type) {
      throw std::runtime_error("project: no parameter of this type with id " +
                               std::to_string(entry.id));
    }
    indices.push_back(index);
  }
  for (std::size_t n = 0; n < entries.size(); ++n) {
    Entry &entry = entries[n];
    const PF_ParamIndex index = indices[n];
    instance.SetDynamicStreamFlag(index, ~AEGP_DynStreamFlags{0}, false);
    instance.SetDynamicStreamFlag(index, entry.dyn_flags, true);
    if (entry.stream) {
      if (instance.SetStream(index, std::move(*entry.stream))) {
        throw std::runtime_error("project: stream does not fit parameter id " +
                                 std::to_string(entry.id));
      }
    }
    if (entry.record) {
      ArbHandle record;
      if (const PF_Err err = instance.Records().Unflatten(index, *entry.record, &record))
        return err;
      instance.Records().Replace(index, std::move(record));
    }
  }
  return PF_Err_NONE;
}

}  // namespace huewarp::host
