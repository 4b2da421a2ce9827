// PF_Cmd_PARAMS_SETUP: declares the 421 parameters in their stored order, registers the ColorGrid
// control and installs the default ArbData record. The fixed parameters are rows of a table; the
// two slot groups are generated.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>

#include "AE_EffectCB.h"
#include "AE_EffectUI.h"
#include "params/arb_data.h"
#include "core/editor_layout.h"
#include "core/param_layout.h"
#include "shell/effect_identity.h"
#include "shell/handlers.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

// Flag sets of the table. Every parameter stays hidden when the user reveals a hidden group.
constexpr PF_ParamFlags kPlain = PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN;
constexpr PF_ParamFlags kSupervised = kPlain | PF_ParamFlag_SUPERVISE;
/// The proxies and the lock follow the current stop, so keyframes would fight the editor.
constexpr PF_ParamFlags kProxy = kSupervised | PF_ParamFlag_CANNOT_TIME_VARY;
constexpr PF_ParamFlags kState = kPlain | PF_ParamFlag_CANNOT_TIME_VARY;
constexpr PF_ParamFlags kGroup = PF_ParamFlag_COLLAPSE_TWIRLY;

/// Slot colours repeat every five slots. Each word is an 8-bit pixel as laid down in memory:
/// alpha in the lowest byte, then red, green and blue.
constexpr A_u_long kPalette[] = {0x542a0fff, 0xd43c78ff, 0xd7e605ff, 0xd993faff, 0xcc6024ff};
constexpr int kPaletteSize = static_cast<int>(std::size(kPalette));
constexpr A_u_long kOpaqueBlack = 0x000000ff;

constexpr const char *kInputRangeChoices =
    "Intensity|Hue|Saturation|(-|Red|Green|Blue|Alpha|(-|Cyan|Magenta|Yellow|Black|(-|Min RGB|"
    "Max RGB|(-|Min CMYK|Max CMYK";
constexpr const char *kValuesOver1Choices = "Clamp|Wrap Back To 0|Bounce";

/// One parameter declaration; only the fields of its type are read.
struct Row {
  PF_ParamType type;
  A_long id;
  const char *name;
  PF_ParamFlags flags;
  PF_ParamUIFlags ui_flags = 0;
  A_short ui_width = 0, ui_height = 0;
  const char *choices = nullptr;
  A_short num_choices = 0;
  /// Popup choice (1-based) or checkbox state.
  A_short int_default = 0;
  A_u_long color = 0;
  float min = 0, max = 0;
  double float_default = 0;
  A_short precision = 0;
  PF_ValueDisplayFlags display = PF_ValueDisplayFlag_NONE;
  A_short arb_id = 0;
  void *refcon = nullptr;
};

constexpr Row Popup(A_long id, const char *name, const char *choices, A_short count,
                    A_short choice) {
  return {.type = PF_Param_POPUP,
          .id = id,
          .name = name,
          .flags = kPlain,
          .choices = choices,
          .num_choices = count,
          .int_default = choice};
}
constexpr Row Checkbox(A_long id, const char *name, PF_ParamFlags flags, bool on) {
  return {.type = PF_Param_CHECKBOX, .id = id, .name = name, .flags = flags, .int_default = on};
}
constexpr Row Color(A_long id, const char *name, PF_ParamFlags flags, A_u_long color) {
  return {.type = PF_Param_COLOR, .id = id, .name = name, .flags = flags, .color = color};
}
constexpr Row Slider(A_long id, const char *name, PF_ParamFlags flags, float min, float max,
                     double value, A_short precision,
                     PF_ValueDisplayFlags display = PF_ValueDisplayFlag_NONE) {
  return {.type = PF_Param_FLOAT_SLIDER,
          .id = id,
          .name = name,
          .flags = flags,
          .min = min,
          .max = max,
          .float_default = value,
          .precision = precision,
          .display = display};
}
constexpr Row Percent(A_long id, const char *name, PF_ParamFlags flags, double value) {
  return Slider(id, name, flags, 0, 100, value, 2, PF_ValueDisplayFlag_PERCENT);
}
constexpr Row Position(A_long id, const char *name, PF_ParamFlags flags, double value) {
  return Slider(id, name, flags, 0, 100, value, 2);
}

constexpr Row kHeadRows[] = {
    Popup(ParamId(kInputRangeIndex), "Input Range", kInputRangeChoices, 19, 15),
    {.type = PF_Param_ANGLE,
     .id = ParamId(kInputRangeOffsetIndex),
     .name = "Input Range Offset",
     .flags = kSupervised},
    Checkbox(ParamId(kFlipInputRangeIndex), "Flip Input Range", kPlain, false),
    Popup(ParamId(kValuesOver1Index), "Values Over 1", kValuesOver1Choices, 3, 3),
};

// "Output Range" carries the ColorGrid control: a colour in After Effects, and in Premiere Pro
// an arbitrary-data parameter without a record, which the ArbData functions treat as foreign.
constexpr Row kOutputRange = {.type = PF_Param_COLOR,
                              .id = ParamId(kOutputRangeIndex),
                              .name = "Output Range",
                              .flags = kSupervised,
                              .ui_flags = PF_PUI_CONTROL,
                              .ui_width = kControlWidth,
                              .ui_height = kControlHeight,
                              .color = kOpaqueBlack};
constexpr Row kPremiereOutputRange = {.type = PF_Param_ARBITRARY_DATA,
                                      .id = ParamId(kOutputRangeIndex),
                                      .name = "Output Range",
                                      .flags = 0,
                                      .ui_flags = PF_PUI_CONTROL,
                                      .ui_width = kControlWidth,
                                      .ui_height = kControlHeight,
                                      .arb_id = 4};

constexpr Row kControlRows[] = {
    Color(ParamId(kColorIndex), "Color", kProxy, kPalette[2]),
    Position(ParamId(kPositionIndex), "Position", kProxy, 50),
    Position(ParamId(kAlphaPositionIndex), "Alpha Position", kProxy, 50),
    Percent(ParamId(kAlphaValueIndex), "Alpha Value", kProxy, 100),
    Checkbox(ParamId(kLockAlphaHandlesIndex), "Lock Alpha Handles", kProxy, true),
    Checkbox(ParamId(kDiscreteColorTransitionsIndex), "Discrete Color Transitions", kPlain, false),
    Slider(ParamId(kCycleScaleIndex), "Cycle Scale", kSupervised, 0.01f, 20, 1, 4),
    Checkbox(ParamId(kSmoothWrapIndex), "Smooth Wrap", kPlain, false),
};

constexpr Row kColorsStart = {.type = PF_Param_GROUP_START,
                              .id = ParamId(kColorsGroupStartIndex),
                              .name = "Colors",
                              .flags = kGroup};
constexpr Row kColorsEnd = {
    .type = PF_Param_GROUP_END, .id = ParamId(kColorsGroupEndIndex), .name = "", .flags = 0};
constexpr Row kAlphaHandlesStart = {.type = PF_Param_GROUP_START,
                                    .id = ParamId(kAlphaHandlesGroupStartIndex),
                                    .name = "Alpha Handles",
                                    .flags = kGroup};
constexpr Row kAlphaHandlesEnd = {
    .type = PF_Param_GROUP_END, .id = ParamId(kAlphaHandlesGroupEndIndex), .name = "", .flags = 0};

constexpr Row kTailRows[] = {
    Checkbox(ParamId(kCompositeOverOriginalIndex), "Composite Over Original", kPlain, false),
    Percent(ParamId(kBlendWithOriginalIndex), "Blend With Original", kPlain, 0),
    // One character longer than a name can be; the declaration cuts it.
    Checkbox(ParamId(kFlagsInitializedIndex), "AEGP Flags Have Been Initialized", kState, false),
};

/// Whether `rows` are declared in the order of their indices, the first at `first`.
constexpr bool DeclaredFrom(PF_ParamIndex first, std::span<const Row> rows) {
  for (const Row &row : rows) {
    if (row.id != ParamId(first++)) return false;
  }
  return true;
}
// Each table fills its stretch of indices exactly.
static_assert(DeclaredFrom(kInputRangeIndex, kHeadRows) &&
              std::size(kHeadRows) == kOutputRangeIndex - kInputRangeIndex);
static_assert(DeclaredFrom(kColorIndex, kControlRows) &&
              std::size(kControlRows) == kColorsGroupStartIndex - kColorIndex);
static_assert(DeclaredFrom(kCompositeOverOriginalIndex, kTailRows) &&
              std::size(kTailRows) == kArbDataIndex - kCompositeOverOriginalIndex);

const Row kArbDataRow = {.type = PF_Param_ARBITRARY_DATA,
                         .id = ParamId(kArbDataIndex),
                         .name = "ArbData",
                         .flags = kState,
                         .ui_flags = PF_PUI_NO_ECW_UI | PF_PUI_INVISIBLE,
                         .ui_width = 1,
                         .ui_height = 1,
                         .arb_id = 419,
                         .refcon = kArbDataRefcon};

/// Slot defaults repeat every five slots: stops at 0, 25, 50, 75 and 100 in the palette colours.
constexpr int PaletteSlot(int n) { return (n - 1) % kPaletteSize; }
constexpr double SlotPosition(int n) {
  const int k = PaletteSlot(n);
  return k == kPaletteSize - 1 ? 100.0 : 25.0 * k;
}

constexpr PF_Pixel PixelFromWord(A_u_long word) {
  return {static_cast<A_u_char>(word), static_cast<A_u_char>(word >> 8),
          static_cast<A_u_char>(word >> 16), static_cast<A_u_char>(word >> 24)};
}

void FillTypeFields(const Row &row, PF_ParamDef &def) {
  switch (row.type) {
    case PF_Param_POPUP:
      def.u.pd.value = row.int_default;
      def.u.pd.num_choices = row.num_choices;
      def.u.pd.dephault = row.int_default;
      def.u.pd.u.namesptr = row.choices;
      break;
    case PF_Param_ANGLE:
      def.u.ad.value = def.u.ad.dephault = 0;
      break;
    case PF_Param_CHECKBOX:
      def.u.bd.value = row.int_default;
      def.u.bd.dephault = static_cast<PF_Boolean>(row.int_default);
      def.u.bd.u.nameptr = "";
      break;
    case PF_Param_COLOR:
      def.u.cd.value = def.u.cd.dephault = PixelFromWord(row.color);
      break;
    case PF_Param_FLOAT_SLIDER: {
      PF_FloatSliderDef &s = def.u.fs_d;
      s.value = row.float_default;
      s.valid_min = s.slider_min = row.min;
      s.valid_max = s.slider_max = row.max;
      s.dephault = static_cast<PF_FpShort>(row.float_default);
      s.precision = row.precision;
      s.display_flags = row.display;
      s.fs_flags = PF_FSliderFlag_WANT_PHASE;
      s.curve_tolerance = 0.05f;
      break;
    }
    case PF_Param_ARBITRARY_DATA:
      def.u.arb_d.id = row.arb_id;
      def.u.arb_d.refconPV = row.refcon;
      break;
    default:
      break;
  }
}

/// Appends parameters through the host, one zero-filled definition at a time.
class Declarer {
 public:
  explicit Declarer(const PF_InData *in_data) : in_data_(in_data) {}

  /// Declares one row; `dephault` is the default record of an arbitrary-data row.
  PF_Err Add(const Row &row, PF_ArbitraryH dephault = nullptr) {
    PF_ParamDef def{};
    def.param_type = row.type;
    def.flags = row.flags;
    def.ui_flags = row.ui_flags;
    def.ui_width = row.ui_width;
    def.ui_height = row.ui_height;
    // The name field holds 31 characters; longer names are cut, not overrun.
    A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1] = {};
    std::copy_n(row.name,
                std::min<std::size_t>(std::strlen(row.name), PF_MAX_EFFECT_PARAM_NAME_LEN), name);
    in_data_->utils->ansi.strcpy(def.name, name);
    FillTypeFields(row, def);
    if (row.type == PF_Param_ARBITRARY_DATA) def.u.arb_d.dephault = dephault;
    def.uu.id = row.id;
    return in_data_->inter.add_param(in_data_->effect_ref, -1, &def);
  }

  PF_Err AddAll(std::span<const Row> rows) {
    for (const Row &row : rows) {
      if (const PF_Err err = Add(row)) return err;
    }
    return PF_Err_NONE;
  }

  /// A group of 100 slots of two parameters each, between its start and end. The group
  /// markers' own results do not stop the declaration.
  template <class MakeSlot>
  PF_Err AddGroup(const Row &start, MakeSlot make_slot, const Row &end) {
    Add(start);
    for (int n = 1; n <= kMaxSlots; ++n) {
      for (int part = 0; part < 2; ++part) {
        A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
        if (const PF_Err err = Add(make_slot(n, part, name))) return err;
      }
    }
    Add(end);
    return PF_Err_NONE;
  }

 private:
  const PF_InData *in_data_;
};

Row ColorSlot(int n, int part, A_char *name) {
  if (part == 0) {
    std::snprintf(name, PF_MAX_EFFECT_PARAM_NAME_LEN + 1, "Color %d", n);
    return Color(ColorSlotId(n), name, kSupervised, kPalette[PaletteSlot(n)]);
  }
  std::snprintf(name, PF_MAX_EFFECT_PARAM_NAME_LEN + 1, "Position %d", n);
  return Position(PositionSlotId(n), name, kSupervised, SlotPosition(n));
}

Row AlphaSlot(int n, int part, A_char *name) {
  if (part == 0) {
    std::snprintf(name, PF_MAX_EFFECT_PARAM_NAME_LEN + 1, "Alpha %d Position", n);
    return Position(AlphaPositionSlotId(n), name, kSupervised, SlotPosition(n));
  }
  std::snprintf(name, PF_MAX_EFFECT_PARAM_NAME_LEN + 1, "Alpha %d Value", n);
  return Percent(AlphaValueSlotId(n), name, kSupervised, 100);
}

PF_CustomUIInfo ColorGridUi() {
  PF_CustomUIInfo ui{};
  ui.events = PF_CustomEFlag_EFFECT;
  return ui;
}

}  // namespace

PF_Err ParamsSetup(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *[]) {
  Declarer declare(in_data);
  PF_Err err = declare.AddAll(kHeadRows);
  if (!err) err = declare.Add(IsPremiere(in_data) ? kPremiereOutputRange : kOutputRange);
  if (err) return err;

  // A control the host would not show is no reason to lose the parameters.
  PF_CustomUIInfo ui = ColorGridUi();
  const PF_Err ui_err = in_data->inter.register_ui(in_data->effect_ref, &ui);

  err = declare.AddAll(kControlRows);
  if (!err) err = declare.AddGroup(kColorsStart, ColorSlot, kColorsEnd);
  if (!err) err = declare.AddGroup(kAlphaHandlesStart, AlphaSlot, kAlphaHandlesEnd);
  if (!err) err = declare.AddAll(kTailRows);
  if (err) return err;

  // Without the control there is no editor to keep a record for.
  PF_Err result = ui_err;
  std::optional<SuiteCache> suites;
  PF_ArbitraryH dephault = nullptr;
  if (!ui_err) {
    suites.emplace(in_data->pica_basicP);
    result = CreateDefaultArbData(*suites, &dephault);
  }
  // The record is the host's only once the host has accepted the parameter.
  PendingHandle pending(dephault, dephault ? suites->Handle()->host_dispose_handle : nullptr);
  if (const PF_Err add_err = declare.Add(kArbDataRow, dephault)) return add_err;
  pending.Release();
  out_data->num_params = kNumParams;
  return result;
}

}  // namespace huewarp
