#include "tools/gradient_slots.h"

#include <algorithm>
#include <cstring>

#include "AE_GeneralPlug.h"
#include "core/param_layout.h"
#include "tools/param_text.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

/// "a:b,c:d" as pairs of texts; `what` names the option in messages.
std::vector<std::pair<std::string, std::string>> Pairs(const std::string &text, const char *what) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) {
      throw ToolError(std::string(what) + ": " + Quoted(item) + " is not POSITION:VALUE");
    }
    pairs.emplace_back(item.substr(0, colon), item.substr(colon + 1));
    start = comma + 1;
  }
  if (pairs.size() > static_cast<std::size_t>(kMaxSlots)) {
    throw ToolError(std::string(what) + ": " + std::to_string(pairs.size()) +
                    " entries; the editor holds at most " + std::to_string(kMaxSlots));
  }
  return pairs;
}

double Percent(const std::string &text, const char *what, const char *role) {
  double value = 0;
  if (!ParseDouble(text, &value) || value < 0 || value > 100) {
    throw ToolError(std::string(what) + ": " + role + " " + Quoted(text) +
                    " is not a number from 0 to 100");
  }
  return value;
}

void Check(PF_Err err, const std::string &what) {
  if (err) throw ToolError("the host refused " + what + " (error " + std::to_string(err) + ")");
}

void SetConstant(host::Instance &instance, PF_ParamIndex index, host::ParamValue value) {
  Check(instance.SetStream(index, host::ParamStream(value)),
        "a value for parameter " + std::string(instance.Definition(index).name));
}

void SetHidden(host::Instance &instance, PF_ParamIndex index, bool hidden) {
  Check(instance.SetDynamicStreamFlag(index, AEGP_DynStreamFlag_HIDDEN, hidden),
        "the hidden flag of " + std::string(instance.Definition(index).name));
}

/// Slots 1..used shown and the rest hidden, for a pair of slot parameter kinds.
void ShowSlots(host::Instance &instance, int used, PF_ParamIndex (*first)(int),
               PF_ParamIndex (*second)(int)) {
  for (int n = 1; n <= kMaxSlots; ++n) {
    SetHidden(instance, first(n), n > used);
    SetHidden(instance, second(n), n > used);
  }
}

std::uint16_t ClampSlot(std::uint16_t slot, int used) {
  return static_cast<std::uint16_t>(std::clamp<int>(slot, 1, std::max(used, 1)));
}

}  // namespace

std::vector<StopText> ParseStops(const std::string &text) {
  std::vector<StopText> stops;
  for (const auto &[position, color] : Pairs(text, "--stops")) {
    StopText stop;
    stop.position = Percent(position, "--stops", "position");
    try {
      stop.color = ParseValue(PF_ParamDef{.param_type = PF_Param_COLOR}, color);
    } catch (const ToolError &e) {
      throw ToolError(std::string("--stops: ") + e.what());
    }
    stops.push_back(stop);
  }
  return stops;
}

std::vector<AlphaText> ParseAlphas(const std::string &text) {
  std::vector<AlphaText> alphas;
  for (const auto &[position, value] : Pairs(text, "--alphas")) {
    alphas.push_back(
        {Percent(position, "--alphas", "position"), Percent(value, "--alphas", "opacity")});
  }
  return alphas;
}

ArbData ReadEditorRecord(host::Instance &instance) {
  const PF_ArbitraryH handle = instance.Records().Value(kArbDataIndex);
  host::HandleService &handles = instance.host().Handles();
  if (!handle || handles.Size(handle) < kArbDataSize) {
    throw ToolError("the effect's editor record is missing");
  }
  ArbData record;
  std::memcpy(&record, handles.Data(handle), kArbDataSize);
  return record;
}

void WriteEditorRecord(host::Instance &instance, const ArbData &record) {
  const PF_ArbitraryH handle = instance.Records().Value(kArbDataIndex);
  host::HandleService &handles = instance.host().Handles();
  if (!handle || handles.Size(handle) < kArbDataSize) {
    throw ToolError("the effect's editor record is missing");
  }
  std::memcpy(handles.Data(handle), &record, kArbDataSize);
}

void ApplyGradient(host::Instance &instance, const std::optional<std::vector<StopText>> &stops,
                   const std::optional<std::vector<AlphaText>> &alphas) {
  if (!stops && !alphas) return;
  ArbData record = ReadEditorRecord(instance);
  const bool initialized = instance.ValueAt(kFlagsInitializedIndex, 0).AsInt() != 0;

  if (stops) {
    for (std::size_t i = 0; i < stops->size(); ++i) {
      const int n = static_cast<int>(i + 1);
      SetConstant(instance, ColorSlotIndex(n), (*stops)[i].color);
      SetConstant(instance, PositionSlotIndex(n), host::ParamValue::Float((*stops)[i].position));
    }
    record.color_slots_used = static_cast<std::uint16_t>(stops->size());
  }
  if (alphas) {
    for (std::size_t i = 0; i < alphas->size(); ++i) {
      const int n = static_cast<int>(i + 1);
      SetConstant(instance, AlphaPositionSlotIndex(n),
                  host::ParamValue::Float((*alphas)[i].position));
      SetConstant(instance, AlphaValueSlotIndex(n), host::ParamValue::Float((*alphas)[i].value));
    }
    record.alpha_slots_used = static_cast<std::uint16_t>(alphas->size());
  }
  // The editor hides the unused slots of a new instance once, on its first drawing, and marks
  // that done; doing it here keeps that first drawing from hiding the slots set above.
  if (stops || !initialized) {
    ShowSlots(instance, record.color_slots_used, ColorSlotIndex, PositionSlotIndex);
  }
  if (alphas || !initialized) {
    ShowSlots(instance, record.alpha_slots_used, AlphaPositionSlotIndex, AlphaValueSlotIndex);
  }
  SetConstant(instance, kFlagsInitializedIndex, host::ParamValue::Int(1));
  SetHidden(instance, kFlagsInitializedIndex, true);

  // The proxies show the current stop and handle, and the record remembers them as reconciled,
  // so the effect's next reconciliation sees no change of its own making.
  record.current_handle = ClampSlot(record.current_handle, record.color_slots_used);
  record.current_alpha_handle = ClampSlot(record.current_alpha_handle, record.alpha_slots_used);
  const host::ParamValue color = instance.ValueAt(ColorSlotIndex(record.current_handle), 0);
  const host::ParamValue position = instance.ValueAt(PositionSlotIndex(record.current_handle), 0);
  const host::ParamValue alpha_position =
      instance.ValueAt(AlphaPositionSlotIndex(record.current_alpha_handle), 0);
  const host::ParamValue alpha_value =
      instance.ValueAt(AlphaValueSlotIndex(record.current_alpha_handle), 0);
  SetConstant(instance, kColorIndex, color);
  SetConstant(instance, kPositionIndex, position);
  SetConstant(instance, kAlphaPositionIndex, alpha_position);
  SetConstant(instance, kAlphaValueIndex, alpha_value);
  record.last_color = color.AsColorFloat();
  record.last_position = position.AsFloat();
  record.last_alpha_position = alpha_position.AsFloat();
  record.last_alpha_value = alpha_value.AsFloat();
  record.last_lock = instance.ValueAt(kLockAlphaHandlesIndex, 0).AsInt() != 0;
  WriteEditorRecord(instance, record);
}

}  // namespace huewarp::tool
