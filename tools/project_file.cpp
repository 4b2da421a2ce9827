#include "tools/project_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

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
    const auto f = [&](int i) { return j.at(i).get<float>(); };
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
  const auto scale = j.at("per_second").get<A_u_long>();
  if (scale == 0) throw ToolError("a keyframe time has 0 ticks per second");
  return {j.at("ticks").get<A_long>(), scale};
}

void LoadParameter(host::Instance &instance, const json &entry) {
  const A_long id = entry.at("id").get<A_long>();
  const PF_ParamIndex index = instance.IndexOfId(id);
  if (index < 0) throw ToolError("no parameter has identifier " + std::to_string(id));
  const PF_ParamDef def = instance.Definition(index);
  try {
    if (entry.contains("hidden") && instance.SetDynamicStreamFlag(index, AEGP_DynStreamFlag_HIDDEN,
                                                                  entry.at("hidden").get<bool>())) {
      throw ToolError("the host refused its hidden flag");
    }
    if (def.param_type == PF_Param_ARBITRARY_DATA && entry.contains("flat")) {
      const std::vector<std::uint8_t> bytes = Unhex(entry.at("flat").get<std::string>());
      host::ArbHandle record;
      if (const PF_Err err = instance.UnflattenArbitrary(index, bytes, &record); err || !record) {
        throw ToolError("the effect cannot read its record back (" + DescribeError(err) + ")");
      }
      if (const PF_Err err = instance.ReplaceArbitraryValue(index, std::move(record))) {
        throw ToolError("the host refused the record (" + DescribeError(err) + ")");
      }
      return;
    }
    if (!instance.HasStream(index) || !entry.contains("value")) return;
    host::ParamStream stream(ValueFromJson(def, entry.at("value")));
    for (const json &key : entry.value("keyframes", json::array())) {
      stream.SetKeyframe(TimeFromJson(key.at("time")), ValueFromJson(def, key.at("value")));
    }
    if (const PF_Err err = instance.SetStream(index, std::move(stream))) {
      throw ToolError("the host refused its value (" + DescribeError(err) + ")");
    }
  } catch (const ToolError &e) {
    throw ToolError("parameter " + Quoted(def.name) + " (id " + std::to_string(id) +
                    "): " + e.what());
  }
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
      if (const PF_Err err = instance.FlattenArbitrary(i, instance.ArbitraryValue(i), &bytes)) {
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
    std::ofstream out(file.temp_path());
    out << document.dump(1) << "\n";
    out.close();
    if (!out) throw ToolError("cannot write " + Quoted(path) + ": " + std::strerror(errno));
  }
  file.Commit();
}

void LoadProjectFile(host::Instance &instance, const std::string &path) {
  std::ifstream in(path);
  if (!in) throw ToolError("cannot read " + Quoted(path) + ": " + std::strerror(errno));
  json document;
  try {
    document = json::parse(in);
    if (document.value("huewarp_project", 0) != kFormatVersion) {
      throw ToolError("not a huewarp project of version " + std::to_string(kFormatVersion));
    }
    const std::string effect = instance.host().registration().match_name;
    if (document.value("effect", effect) != effect) {
      throw ToolError("saved from effect " + Quoted(document.value("effect", "")) + ", not " +
                      Quoted(effect));
    }
    for (const json &entry : document.at("parameters")) LoadParameter(instance, entry);
  } catch (const json::exception &e) {
    throw ToolError("cannot read project " + Quoted(path) + ": " + e.what());
  } catch (const ToolError &e) {
    throw ToolError("cannot read project " + Quoted(path) + ": " + e.what());
  }
}

}  // namespace huewarp::tool
