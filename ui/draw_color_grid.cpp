// PF_Event_DRAW: paints the whole ColorGrid control from the event's parameter values. On the
// first draw of an instance it also hides the slots a new instance does not use.
//
// One running error decides everything: once it is set, no further Drawbot, stream or
// hidden-flag call is made, releases still run (through the owners), what was painted stays,
// and the event is marked handled only when the draw succeeded.
#include <algorithm>
#include <optional>

#include "shell/stream_access.h"
#include "shell/param_writes.h"
#include "core/gradient_settings.h"
#include "shell/allocation.h"
#include "shell/command_context.h"
#include "shell/global_data.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"
#include "shell/drawbot_access.h"
#include "ui/editor_draw.h"
#include "ui/event_handlers.h"

namespace huewarp {
namespace {

/// What a draw reads from the event record.
struct DrawEvent {
  bool dontDraw;
  bool controlArea;
  PF_Rect frame;
  PF_ContextH context;
};

DrawEvent DecodeDrawEvent(const PF_EventExtra &extra) {
  return {.dontDraw = extra.evt_in_flags == PF_EI_DONT_DRAW,
          .controlArea = extra.effect_win.area == PF_EA_CONTROL,
          .frame = extra.effect_win.current_frame,
          .context = extra.contextH};
}

EditorParams DecodeEditorParams(PF_ParamDef *params[]) {
  auto value = [&](PF_ParamIndex index) -> const PF_ParamDefUnion & { return params[index]->u; };
  return {.inputRange = static_cast<std::uint16_t>(value(kInputRangeIndex).pd.value),
          .offset = value(kInputRangeOffsetIndex).ad.value,
          .flip = value(kFlipInputRangeIndex).bd.value != 0,
          .valuesOver1 = value(kValuesOver1Index).pd.value,
          .cycleScale = value(kCycleScaleIndex).fs_d.value,
          .smoothWrap = value(kSmoothWrapIndex).bd.value != 0,
          .discrete = value(kDiscreteColorTransitionsIndex).bd.value != 0,
          .lockAlpha = value(kLockAlphaHandlesIndex).bd.value != 0,
          .flagsInitialized = value(kFlagsInitializedIndex).bd.value != 0,
          .arbData = value(kArbDataIndex).arb_d.value,
          .all = std::span<PF_ParamDef *const>(params, kNumParams)};
}

/// The visible stops and handles as the event's parameters hold them, and which slots they are.
GradientSettings ReadGradientSettings(PF_InData *in_data, const PF_ColorParamSuite1 &colors,
                                      const StreamAccess &streams, const EditorParams &params,
                                      const ArbData &record, PF_Err &err) {
  GradientSettings gradient{.use = GradientUse::kEditor,
                            .discrete = params.discrete,
                            .smoothWrap = params.smoothWrap,
                            .cycleScale = params.cycleScale,
                            .offset = params.offset,
                            .valuesOver1 = params.valuesOver1};
  const int color_slots = std::min<int>(record.color_slots_used, kMaxSlots);
  for (int n = 1; n <= color_slots && !err; ++n) {
    if (IsParamStreamHidden(streams, ColorSlotIndex(n), err)) continue;
    PF_PixelFloat c{};
    if (!err) {
      err = colors.PF_GetFloatingPointColorFromColorDef(in_data->effect_ref,
                                                        params.all[ColorSlotIndex(n)], &c);
    }
    gradient.stops[n] = {.shown = true,
                         .red = c.red,
                         .green = c.green,
                         .blue = c.blue,
                         .position = params.Position(n)};
  }
  const int alpha_slots = std::min<int>(record.alpha_slots_used, kMaxSlots);
  for (int n = 1; n <= alpha_slots && !err; ++n) {
    if (IsParamStreamHidden(streams, AlphaValueSlotIndex(n), err)) continue;
    gradient.handles[n] = {
        .shown = true, .position = params.AlphaPosition(n), .value = params.AlphaValue(n)};
  }
  return gradient;
}

/// Everything painted over the control area, in order.
void PaintControl(PF_InData *in_data, PF_OutData *out_data, const Canvas &canvas,
                  const StreamAccess &streams, const EditorParams &params, const ArbData &record,
                  PF_Err &err) {
  PaintInputStrip(canvas, params, err);
  if (err) return;
  const ScopedSuite<PF_ColorParamSuite1> colors(in_data, kColorParamSuite, out_data);
  const GradientSettings settings =
      ReadGradientSettings(in_data, *colors.get(), streams, params, record, err);
  VisibleSlots visible;
  for (int n = 1; n <= kMaxSlots; ++n) {
    visible.color[n] = settings.stops[n].shown;
    visible.alpha[n] = settings.handles[n].shown;
  }
  std::optional<Gradient> gradient;
  Allocating(err, [&] { gradient.emplace(BuildGradient(settings)); });
  if (gradient) PaintGradientColumns(canvas, *gradient, static_cast<float>(params.cycleScale), err);
  PaintMarkers(canvas, params, record, visible, err);
  PaintButtons(canvas, params.lockAlpha, err);
}

}  // namespace

PF_Err DrawColorGrid(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[], PF_LayerDef *,
                     PF_EventExtra *extra) {
  const DrawEvent event = DecodeDrawEvent(*extra);
  if (event.dontDraw) return PF_Err_NONE;
  const EditorParams values = DecodeEditorParams(params);

  CommandContext context(in_data);
  PF_Err &err = context.err();
  const StreamAccess &streams = context.streams();

  // The record stays locked for the whole draw.
  const ScopedHandleLock arb_lock = context.LockRecord(values.arbData);
  const ArbData *record = arb_lock.as<ArbData>();
  if (!record && !err) err = PF_Err_OUT_OF_MEMORY;  // no record to read

  if (!values.flagsInitialized && !err) err = InitializeSlotVisibility(streams);
  if (err) return err;

  ScopedDrawbotSuites drawbot(in_data, out_data, err);
  if (err) return err;
  {
    ScopedAefxSuite<PF_EffectCustomUISuite1> custom_ui(in_data, out_data, kCustomUISuite, err);
    DRAWBOT_DrawRef drawing = nullptr;
    DRAWBOT_SupplierRef supplier = nullptr;
    DRAWBOT_SurfaceRef surface = nullptr;
    if (!err) err = custom_ui->PF_GetDrawingReference(event.context, &drawing);
    if (!err) err = drawbot.get().drawbot_suiteP->GetSupplier(drawing, &supplier);
    if (!err) err = drawbot.get().drawbot_suiteP->GetSurface(drawing, &surface);
    // Nothing is painted over the parameter's title, yet the event counts as handled.
    if (!err && event.controlArea) {
      const Canvas canvas{drawbot.get(), supplier, surface, event.frame};
      PaintControl(in_data, out_data, canvas, streams, values, *record, err);
    }
    KeepFirst(err, custom_ui.Release());
  }
  KeepFirst(err, drawbot.Release());
  if (!err) extra->evt_out_flags = PF_EO_HANDLED_EVENT;
  return err;
}

}  // namespace huewarp
