// PF_Cmd_SMART_PRE_RENDER: reads the parameters at the frame's time, builds the frame's gradient
// into a PreRenderData record, checks out the input layer and hands the record to the host.
#include <algorithm>

#include "core/arb_data_record.h"
#include "core/param_layout.h"
#include "shell/stream_access.h"
#include "render/checked_out_param.h"
#include "render/frame_record.h"
#include "core/gradient_settings.h"
#include "core/pixel_mapping.h"
#include "shell/command_context.h"
#include "shell/debug_capture.h"
#include "shell/global_data.h"
#include "shell/handlers.h"
#include "shell/scoped_handle.h"
#include "shell/suites.h"

namespace huewarp {
namespace {

bool IsEmpty(const PF_LRect &r) { return r.left >= r.right || r.top >= r.bottom; }

/// Grows `dst` to include `src`; an empty source changes nothing.
void UnionRect(const PF_LRect &src, PF_LRect &dst) {
  if (IsEmpty(src)) return;
  if (IsEmpty(dst)) {
    dst = src;
    return;
  }
  dst.left = std::min(dst.left, src.left);
  dst.top = std::min(dst.top, src.top);
  dst.right = std::max(dst.right, src.right);
  dst.bottom = std::max(dst.bottom, src.bottom);
}

/// Everything pre-render reads, once, at the frame's time.
struct FrameParams {
  PF_InData *in_data;
  PF_Err &err;

  A_long Int(PF_ParamIndex index, A_long fallback) {
    CheckedOutParam p(in_data, index, err);
    if (!p.ok()) return fallback;
    switch (p.def().param_type) {
      case PF_Param_POPUP:
        return p.u().pd.value;
      case PF_Param_CHECKBOX:
        return p.u().bd.value;
      case PF_Param_ANGLE:
        return p.u().ad.value;
      default:
        return fallback;
    }
  }
  double Float(PF_ParamIndex index, double fallback) {
    CheckedOutParam p(in_data, index, err);
    return p.ok() ? p.u().fs_d.value : fallback;
  }
};

/// Colour-stop slots 1..slots_used: a stop is shown once its colour and position are read.
void ReadColorStops(PF_InData *in_data, const PF_ColorParamSuite1 *colors,
                    const StreamAccess &streams, int slots_used, PF_Err &err,
                    GradientSettings &gradient) {
  for (int n = 1; n <= slots_used && !err; ++n) {
    if (IsParamStreamHidden(streams, ColorSlotIndex(n), err)) continue;
    PF_PixelFloat color{};
    {
      CheckedOutParam def(in_data, ColorSlotIndex(n), err);
      if (!def.ok()) break;
      err = colors->PF_GetFloatingPointColorFromColorDef(in_data->effect_ref, &def.def(), &color);
    }
    const double position = FrameParams{in_data, err}.Float(PositionSlotIndex(n), 0.0);
    if (err) break;
    gradient.stops[n] = {.shown = true,
                         .red = color.red,
                         .green = color.green,
                         .blue = color.blue,
                         .position = position};
  }
}

/// Alpha-handle slots 1..slots_used; the value parameter carries the hidden flag.
void ReadAlphaHandles(PF_InData *in_data, const StreamAccess &streams, int slots_used, PF_Err &err,
                      GradientSettings &gradient) {
  FrameParams params{in_data, err};
  for (int n = 1; n <= slots_used && !err; ++n) {
    if (IsParamStreamHidden(streams, AlphaValueSlotIndex(n), err)) continue;
    const double position = params.Float(AlphaPositionSlotIndex(n), 0.0);
    const double value = params.Float(AlphaValueSlotIndex(n), 0.0);
    if (err) break;
    gradient.handles[n] = {.shown = true, .position = position, .value = value};
  }
}

/// Pixels the host asks for, which decide whether per-level tables pay.
std::int64_t RequestedPixels(const PF_LRect &area) {
  return IsEmpty(area)
             ? 0
             : std::int64_t{area.right - area.left} * std::int64_t{area.bottom - area.top};
}

}  // namespace

PF_Err SmartPreRender(PF_InData *in_data, PF_OutData *out_data, PF_PreRenderExtra *extra) {
  SetTraceNumberFormat();
  CommandContext context(in_data);
  PF_Err &err = context.err();
  const StreamAccess &streams = context.streams();

  PreRenderDataPtr data = NewPreRenderData();
  if (!data) return PF_Err_OUT_OF_MEMORY;
  FrameParams params{in_data, err};

  // Slot counts from the ArbData record, locked until the end of the command.
  CheckedOutParam arb(in_data, kArbDataIndex, err);
  const ScopedHandleLock arb_lock = context.LockRecord(arb.ok() ? arb.u().arb_d.value : nullptr);
  int color_slots = 0, alpha_slots = 0;
  if (const auto *record = arb_lock.as<ArbData>()) {
    color_slots = std::min<int>(record->color_slots_used, kMaxSlots);
    alpha_slots = std::min<int>(record->alpha_slots_used, kMaxSlots);
  } else if (!err) {
    err = PF_Err_OUT_OF_MEMORY;  // no record to read
  }

  FrameSettings settings;
  GradientSettings &gradient = settings.gradient;
  settings.inputRange = static_cast<std::uint16_t>(params.Int(kInputRangeIndex, kInputMinRgb));
  settings.flip = params.Int(kFlipInputRangeIndex, 0) != 0;
  gradient.discrete = params.Int(kDiscreteColorTransitionsIndex, 0) != 0;

  ScopedSuite<PF_ColorParamSuite1> colors(in_data, kColorParamSuite, out_data);

  gradient.offset = params.Int(kInputRangeOffsetIndex, 0);
  gradient.cycleScale = params.Float(kCycleScaleIndex, 1.0);
  gradient.valuesOver1 = params.Int(kValuesOver1Index, kValuesOver1Bounce) & 0xFFFF;
  gradient.smoothWrap = params.Int(kSmoothWrapIndex, 0) != 0;

  ReadColorStops(in_data, colors.get(), streams, color_slots, err, gradient);

  settings.composite = params.Int(kCompositeOverOriginalIndex, 0) != 0;
  settings.blend = params.Float(kBlendWithOriginalIndex, 0.0);

  ReadAlphaHandles(in_data, streams, alpha_slots, err, gradient);

  // Built from what was read even after a failure; the host frees it with the record.
  MakeFrameObjects(*data, settings, extra->input->bitdepth,
                   RequestedPixels(extra->input->output_request.rect), err);

  if (!err) {
    PF_RenderRequest request = extra->input->output_request;
    PF_CheckoutResult checkout{};
    err = extra->cb->checkout_layer(in_data->effect_ref, kInputLayerIndex, 0, &request,
                                    in_data->current_time, in_data->time_step, in_data->time_scale,
                                    &checkout);
    if (!err) {
      UnionRect(checkout.result_rect, extra->output->result_rect);
      UnionRect(checkout.max_result_rect, extra->output->max_result_rect);
    }
  }

  extra->output->pre_render_data = data.release();
  extra->output->delete_pre_render_data_func = DeletePreRenderData;
  return err;
}

}  // namespace huewarp
