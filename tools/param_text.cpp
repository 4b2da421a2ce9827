#include "tools/param_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

/// The shortest text that reads back as the same number (ranges are declared as float).
template <class T>
std::string Number(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool HasStream(const PF_ParamDef &def) {
  switch (def.param_type) {
    case PF_Param_ANGLE:
    case PF_Param_CHECKBOX:
    case PF_Param_COLOR:
    case PF_Param_POPUP:
    case PF_Param_FLOAT_SLIDER:
      return true;
    default:
      return false;
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

host::ParamValue ParseColor(const std::string &text) {
  if (text.size() == 7 && text[0] == '#') {
    A_u_char channels[3];
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
      const int hi = HexDigit(text[1 + 2 * i]), lo = HexDigit(text[2 + 2 * i]);
      ok = ok && hi >= 0 && lo >= 0;
      channels[i] = static_cast<A_u_char>(hi * 16 + lo);
    }
    if (ok) return host::ParamValue::Color(PF_Pixel{255, channels[0], channels[1], channels[2]});
  }
  throw ToolError(Quoted(text) + " is not a colour; write it as #rrggbb");
}

}  // namespace

bool ParseDouble(const std::string &text, double *value) {
  const char *begin = text.data(), *end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, *value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(*value);
}

bool ParseInt(const std::string &text, long long *value) {
  const char *begin = text.data(), *end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, *value);
  return result.ec == std::errc() && result.ptr == end;
}

std::vector<std::string> PopupChoices(const PF_ParamDef &def) {
  std::vector<std::string> choices;
  if (def.param_type != PF_Param_POPUP || !def.u.pd.u.namesptr) return choices;
  std::string names = def.u.pd.u.namesptr;
  for (std::size_t start = 0;;) {
    const std::size_t bar = names.find('|', start);
    choices.push_back(names.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return choices;
}

std::string TypeName(const PF_ParamDef &def) {
  switch (def.param_type) {
    case PF_Param_LAYER:
      return "layer";
    case PF_Param_ANGLE:
      return "angle";
    case PF_Param_CHECKBOX:
      return "checkbox";
    case PF_Param_COLOR:
      return "colour";
    case PF_Param_POPUP:
      return "popup";
    case PF_Param_FLOAT_SLIDER:
      return "float slider";
    case PF_Param_ARBITRARY_DATA:
      return "arbitrary data";
    case PF_Param_GROUP_START:
      return "group start";
    case PF_Param_GROUP_END:
      return "group end";
    default:
      return "type " + std::to_string(def.param_type);
  }
}

std::string AcceptedValues(const PF_ParamDef &def) {
  switch (def.param_type) {
    case PF_Param_ANGLE:
      return "an angle in degrees";
    case PF_Param_CHECKBOX:
      return "on, off, true, false, 1 or 0";
    case PF_Param_COLOR:
      return "a colour #rrggbb";
    case PF_Param_POPUP: {
      std::string list;
      for (const std::string &choice : PopupChoices(def)) {
        if (choice == "(-") continue;
        list += (list.empty() ? "" : ", ") + Quoted(choice);
      }
      return "one of " + list;
    }
    case PF_Param_FLOAT_SLIDER:
      return "a number from " + Number(def.u.fs_d.valid_min) + " to " +
             Number(def.u.fs_d.valid_max);
    default:
      return "no value";
  }
}

host::ParamValue ParseValue(const PF_ParamDef &def, const std::string &text) {
  switch (def.param_type) {
    case PF_Param_POPUP: {
      const auto choices = PopupChoices(def);
      for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i] != "(-" && choices[i] == text) {
          return host::ParamValue::Int(static_cast<std::int32_t>(i + 1));
        }
      }
      throw ToolError(Quoted(text) + " is not a choice; use " + AcceptedValues(def));
    }
    case PF_Param_CHECKBOX: {
      const std::string t = Lower(text);
      if (t == "on" || t == "true" || t == "1") return host::ParamValue::Int(1);
      if (t == "off" || t == "false" || t == "0") return host::ParamValue::Int(0);
      throw ToolError(Quoted(text) + " is not a checkbox state; use " + AcceptedValues(def));
    }
    case PF_Param_ANGLE: {
      double degrees = 0;
      // 16.16 fixed point holds whole degrees up to 32767.
      if (!ParseDouble(text, &degrees) || std::fabs(degrees) >= 32767.0) {
        throw ToolError(Quoted(text) + " is not an angle; use degrees between -32767 and 32767");
      }
      return host::ParamValue::Angle(static_cast<PF_Fixed>(std::llround(degrees * 65536.0)));
    }
    case PF_Param_COLOR:
      return ParseColor(text);
    case PF_Param_FLOAT_SLIDER: {
      double value = 0;
      if (!ParseDouble(text, &value)) {
        throw ToolError(Quoted(text) + " is not a number; use " + AcceptedValues(def));
      }
      if (value < def.u.fs_d.valid_min || value > def.u.fs_d.valid_max) {
        throw ToolError(Quoted(text) + " is out of range; use " + AcceptedValues(def));
      }
      return host::ParamValue::Float(value);
    }
    default:
      throw ToolError("it has no value to set");
  }
}

std::string FormatValue(const PF_ParamDef &def, const host::ParamValue &value) {
  switch (value.kind()) {
    case host::ParamValue::Kind::kInt:
      if (def.param_type == PF_Param_CHECKBOX) return value.AsInt() ? "on" : "off";
      if (def.param_type == PF_Param_POPUP) {
        const auto choices = PopupChoices(def);
        const auto i = static_cast<std::size_t>(value.AsInt());
        if (i >= 1 && i <= choices.size()) return choices[i - 1];
      }
      return std::to_string(value.AsInt());
    case host::ParamValue::Kind::kAngle:
      return Number(value.AsAngle() / 65536.0);
    case host::ParamValue::Kind::kFloat:
      return Number(value.AsFloat());
    case host::ParamValue::Kind::kColor: {
      const PF_Pixel p = value.AsColor8();
      if (host::ParamValue::Color(p) == value) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", p.red, p.green, p.blue);
        return text;
      }
      const PF_PixelFloat f = value.AsColorFloat();
      return Number(f.alpha) + "," + Number(f.red) + "," + Number(f.green) + "," + Number(f.blue);
    }
  }
  return "";
}

host::ParamValue DeclaredValue(const PF_ParamDef &def) {
  switch (def.param_type) {
    case PF_Param_POPUP:
      return host::ParamValue::Int(def.u.pd.value);
    case PF_Param_CHECKBOX:
      return host::ParamValue::Int(def.u.bd.value);
    case PF_Param_ANGLE:
      return host::ParamValue::Angle(def.u.ad.value);
    case PF_Param_COLOR:
      return host::ParamValue::Color(def.u.cd.value);
    default:
      return host::ParamValue::Float(def.u.fs_d.value);
  }
}

ParamNames::ParamNames(const host::Instance &instance) {
  for (int i = 0; i < instance.ParamCount(); ++i) defs_.push_back(instance.Definition(i));
}

std::string ParamNames::Name(PF_ParamIndex index) const { return Quoted(defs_.at(index).name); }

PF_ParamIndex ParamNames::Find(const std::string &name) const {
  const std::string lower = Lower(name);
  std::string near;
  for (std::size_t i = 1; i < defs_.size(); ++i) {
    const std::string declared = defs_[i].name;
    if (declared == name) {
      if (HasStream(defs_[i])) return static_cast<PF_ParamIndex>(i);
      if (defs_[i].param_type == PF_Param_ARBITRARY_DATA) {
        throw ToolError("parameter " + Quoted(name) +
                        " is the editor's record; set the gradient with --stops and --alphas");
      }
      throw ToolError("parameter " + Quoted(name) + " is a " + TypeName(defs_[i]) +
                      " and has no value");
    }
    if (near.empty() && !declared.empty() && Lower(declared) == lower) near = declared;
  }
  throw ToolError("unknown parameter " + Quoted(name) +
                  (near.empty() ? "" : "; did you mean " + Quoted(near) + "?") +
                  " ('huewarp info' lists them)");
}

}  // namespace huewarp::tool
