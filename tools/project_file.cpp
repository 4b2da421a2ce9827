#include "tools/project_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string_view>

#include <nlohmann/json.hpp>

#include "AE_GeneralPlug.h"
#include "tools/effect_session.h"
#include "tools/param_text.h"
#include "tools/pending_file.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

// Keys stay in the order written, so a person reading the file finds identifier and name first.
using json = nlohmann::ordered_json;

constexpr int kFormatVersion = 1;

// A project holds at most a few levels ({document: {parameters: [{keyframes: [{time: {}}]}]}});
// anything deeper is refused while parsing, before a deep tree is built.
constexpr int kMaxDepth = 8;
// Far more keyframes than anyone sets by hand, far fewer than exhaust memory.
constexpr std::size_t kMaxKeyframes = 10000;
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

const char *KindOf(const json &j) { return j.type_name(); }

const json &Member(const json &object, const char *key, json::value_t kind, const char *what) {
  const json &m = object.at(key);
  const bool fits = kind == json::value_t::number_integer ? m.is_number_integer()
                    : kind == json::value_t::number_float ? m.is_number()
                                                          : m.type() == kind;
  if (!fits) throw ToolError(std::string(key) + " is " + KindOf(m) + ", not " + what);
  return m;
}

/// An integer member in [low, high]; other numbers and other types are refused by name.
template <class Int>
Int IntegerMember(const json &object, const char *key, Int low, Int high) {
  const json &m = Member(object, key, json::value_t::number_integer, "an integer");
  const bool in_range = m.is_number_unsigned()
                            ? m.get<std::uint64_t>() <= static_cast<std::uint64_t>(high)
                            : m.get<std::int64_t>() >= static_cast<std::int64_t>(low) &&
                                  m.get<std::int64_t>() <= static_cast<std::int64_t>(high);
  if (!in_range) {
    throw ToolError(std::string(key) + " " + m.dump() + " is not in " + std::to_string(low) + ".." +
                    std::to_string(high));
  }
  return static_cast<Int>(m.get<std::int64_t>());
}

float FiniteFloat(const json &j) {
  if (!j.is_number()) throw ToolError(std::string("a colour component is ") + KindOf(j));
  const double v = j.get<double>();
  if (!(std::fabs(v) <= std::numeric_limits<float>::max())) {
    throw ToolError("colour component " + j.dump() + " is not a finite float");
  }
  return static_cast<float>(v);
}

json ValueToJson(const PF_ParamDef &def, const host::ParamValue &value) {
  switch (def.param_type) {
    case PF_Param_CHECKBOX:
      return value.AsInt() != 0;
    case PF_Param_POPUP:
      return FormatValue(def, value);
    case PF_Param_ANGLE:
      return value.AsAngle() / 65536.0;
    case PF_Param_COLOR: {
      const std::string text = FormatValue(def, value);
      if (text[0] == '#') return text;
      const PF_PixelFloat c = value.AsColorFloat();
      return json::array({c.alpha, c.red, c.green, c.blue});  // more than 8 bits
    }
    default:
      return value.AsFloat();
  }
}

host::ParamValue ValueFromJson(const PF_ParamDef &def, const json &j) {
  if (def.param_type == PF_Param_CHECKBOX && j.is_boolean()) {
    return host::ParamValue::Int(j.get<bool>() ? 1 : 0);
  }
  if (def.param_type == PF_Param_COLOR && j.is_array() && j.size() == 4) {
    const auto f = [&](int i) { return FiniteFloat(j.at(i)); };
    return host::ParamValue::Color(PF_PixelFloat{f(0), f(1), f(2), f(3)});
  }
  if (j.is_string()) return ParseValue(def, j.get<std::string>());
  if (j.is_number()) {
    std::ostringstream text;
    text.precision(17);
    text << j.get<double>();
    return ParseValue(def, text.str());
  }
  throw ToolError("value " + j.dump() + " does not fit its " + TypeName(def));
}

std::string Hex(const std::vector<std::uint8_t> &bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::vector<std::uint8_t> Unhex(const std::string &text) {
  std::vector<std::uint8_t> bytes;
  if (text.size() % 2) throw ToolError("the record's hex text has an odd length");
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    if (std::sscanf(text.substr(i, 2).c_str(), "%2x", &value) != 1 ||
        !std::isxdigit(static_cast<unsigned char>(text[i])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
      throw ToolError("the record's text is not hexadecimal");
    }
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

json TimeToJson(host::StreamTime t) { return {{"ticks", t.value}, {"per_second", t.scale}}; }

host::StreamTime TimeFromJson(const json &j) {
  if (!j.is_object()) throw ToolError(std::string("a keyframe time is ") + KindOf(j));
  const auto scale = IntegerMember<A_u_long>(j, "per_second", 1, 0x7fffffff);
  const auto ticks = IntegerMember<A_long>(j, "ticks", std::numeric_limits<A_long>::min(),
                                           std::numeric_limits<A_long>::max());
  return {ticks, scale};
}

void LoadParameter(host::Instance &instance, const json &entry) {
  if (!entry.is_object()) throw ToolError(std::string("a parameter entry is ") + KindOf(entry));
  const A_long id = IntegerMember<A_long>(entry, "id", 1, std::numeric_limits<A_long>::max());
  const PF_ParamIndex index = instance.IndexOfId(id);
  if (index < 0) throw ToolError("no parameter has identifier " + std::to_string(id));
  const PF_ParamDef def = instance.Definition(index);
  try {
    if (entry.contains("hidden") &&
        instance.SetDynamicStreamFlag(
            index, AEGP_DynStreamFlag_HIDDEN,
            Member(entry, "hidden", json::value_t::boolean, "true or false").get<bool>())) {
      throw ToolError("the host refused its hidden flag");
    }
    if (def.param_type == PF_Param_ARBITRARY_DATA && entry.contains("flat")) {
      const std::vector<std::uint8_t> bytes =
          Unhex(Member(entry, "flat", json::value_t::string, "text").get<std::string>());
      host::ArbHandle record;
      if (const PF_Err err = instance.Records().Unflatten(index, bytes, &record); err || !record) {
        throw ToolError("the effect cannot read its record back (" + DescribeError(err) + ")");
      }
      if (const PF_Err err = instance.Records().Replace(index, std::move(record))) {
        throw ToolError("the host refused the record (" + DescribeError(err) + ")");
      }
      return;
    }
    if (!instance.HasStream(index) || !entry.contains("value")) return;
    host::ParamStream stream(ValueFromJson(def, entry.at("value")));
    if (entry.contains("keyframes")) {
      const json &keys = Member(entry, "keyframes", json::value_t::array, "a list");
      if (keys.size() > kMaxKeyframes) {
        throw ToolError(std::to_string(keys.size()) + " keyframes, more than " +
                        std::to_string(kMaxKeyframes));
      }
      for (const json &key : keys) {
        if (!key.is_object()) throw ToolError(std::string("a keyframe is ") + KindOf(key));
        const host::StreamTime time = TimeFromJson(key.at("time"));
        stream.SetKeyframe(time, ValueFromJson(def, key.at("value")));
      }
    }
    if (const PF_Err err = instance.SetStream(index, std::move(stream))) {
      throw ToolError("the host refused its value (" + DescribeError(err) + ")");
    }
  } catch (const ToolError &e) {
    throw ToolError("parameter " + Quoted(def.name) + " (id " + std::to_string(id) +
                    "): " + e.what());
  }
}

/// The deepest nesting of arrays and objects in JSON text, strings skipped; a linear scan, so
/// deep nesting is refused before the parser builds (and later destroys) a deep tree.
int NestingDepth(std::string_view text) {
  int depth = 0, deepest = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

void SaveProjectFile(host::Instance &instance, const std::string &path) {
  json params = json::array();
  for (PF_ParamIndex i = 1; i < instance.ParamCount(); ++i) {
    const PF_ParamDef def = instance.Definition(i);
    json entry = {{"index", i},
                  {"id", def.uu.id},
                  {"name", def.name},
                  {"type", TypeName(def)},
                  {"hidden", instance.IsHidden(i)}};
    if (const auto stream = instance.Stream(i)) {
      entry["value"] = ValueToJson(def, stream->constant());
      if (!stream->keyframes().empty()) {
        json keys = json::array();
        for (const host::Keyframe &k : stream->keyframes()) {
          keys.push_back({{"time", TimeToJson(k.time)}, {"value", ValueToJson(def, k.value)}});
        }
        entry["keyframes"] = std::move(keys);
      }
    } else if (def.param_type == PF_Param_ARBITRARY_DATA) {
      std::vector<std::uint8_t> bytes;
      if (const PF_Err err = instance.Records().Flatten(i, instance.Records().Value(i), &bytes)) {
        throw ToolError("cannot save " + Quoted(path) + ": the effect cannot flatten " +
                        Quoted(def.name) + " (" + DescribeError(err) + ")");
      }
      entry["flat"] = Hex(bytes);
    }
    params.push_back(std::move(entry));
  }
  const json document = {{"huewarp_project", kFormatVersion},
                         {"effect", instance.host().registration().match_name},
                         {"parameters", std::move(params)}};

  PendingFile file(path);
  {
    std::ofstream out = file.Opening([](const std::string &temp) { return std::ofstream(temp); });
    out << document.dump(1) << "\n";
    out.close();
    if (!out) throw ToolError("cannot write " + Quoted(path) + ": " + std::strerror(errno));
  }
  file.Commit();
}

void LoadProject(host::Instance &instance, std::string_view text) {
  if (NestingDepth(text) > kMaxDepth) {
    throw ToolError("nested more than " + std::to_string(kMaxDepth) + " levels deep");
  }
  const json document = json::parse(text);
  if (!document.is_object()) throw ToolError(std::string("the document is ") + KindOf(document));
  if (!document.contains("huewarp_project") ||
      document.at("huewarp_project") != json(kFormatVersion)) {
    throw ToolError("not a huewarp project of version " + std::to_string(kFormatVersion));
  }
  const std::string effect = instance.host().registration().match_name;
  if (document.contains("effect")) {
    const json &saved = Member(document, "effect", json::value_t::string, "text");
    if (saved.get<std::string>() != effect) {
      throw ToolError("saved from effect " + Quoted(saved.get<std::string>()) + ", not " +
                      Quoted(effect));
    }
  }
  const json &params = Member(document, "parameters", json::value_t::array, "a list");
  // Each parameter appears at most once, so a longer list cannot be a project of this effect.
  if (params.size() >= static_cast<std::size_t>(instance.ParamCount())) {
    throw ToolError(std::to_string(params.size()) + " parameters, but the effect has " +
                    std::to_string(instance.ParamCount() - 1));
  }
  for (const json &entry : params) LoadParameter(instance, entry);
}

void LoadProjectFile(host::Instance &instance, const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError("cannot read " + Quoted(path) + ": " + std::strerror(errno));
  try {
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kMaxFileBytes && !ec) {
      throw ToolError("larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LoadProject(instance, text);
  } catch (const json::exception &e) {
    throw ToolError("cannot read project " + Quoted(path) + ": " + e.what());
  } catch (const ToolError &e) {
    throw ToolError("cannot read project " + Quoted(path) + ": " + e.what());
  }
}

}  // namespace huewarp::tool
