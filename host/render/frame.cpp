#include "host/render/frame.h"

#include <algorithm>

#include "host/core/allocation_gate.h"
#include "host/core/command_context.h"
#include "host/core/host_call.h"

namespace huewarp::host {
namespace {

FrameState *FrameOf(PF_ProgPtr effect_ref) {
  CommandContext *context = CommandFromRef(effect_ref);
  return context ? context->frame : nullptr;
}

PF_Err CheckoutLayer(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_id,
                     const PF_RenderRequest *req, A_long, A_long, A_u_long,
                     PF_CheckoutResult *result) {
  const HostCall fault = Consult("checkout_layer");
  if (fault.fail) return fault.code;
  FrameState *frame = FrameOf(effect_ref);
  if (!frame || !frame->input || index != 0 || checkout_id != 0 || !req || !result)
    return PF_Err_BAD_CALLBACK_PARAM;
  frame->layer_checked_out = true;
  frame->layer_request = *req;
  *result = {};
  const PF_LRect bounds{0, 0, frame->input->width(), frame->input->height()};
  result->result_rect = {std::max(req->rect.left, bounds.left), std::max(req->rect.top, bounds.top),
                         std::min(req->rect.right, bounds.right),
                         std::min(req->rect.bottom, bounds.bottom)};
  result->max_result_rect = bounds;
  result->par = {1, 1};
  result->ref_width = bounds.right;
  result->ref_height = bounds.bottom;
  return PF_Err_NONE;
}

PF_Err CheckoutLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id, PF_EffectWorld **pixels) {
  const HostCall fault = Consult("checkout_layer_pixels");
  if (pixels) *pixels = nullptr;
  if (fault.fail) return fault.code;
  FrameState *frame = FrameOf(effect_ref);
  if (!frame || !frame->layer_checked_out || checkout_id != 0 || !pixels)
    return PF_Err_BAD_CALLBACK_PARAM;
  // The effect only reads its input; the host's own picture is handed over as it is.
  *pixels = const_cast<World *>(frame->input)->effect_world();
  frame->pixels_checked_out = true;
  CurrentLedger().Acquire(Resource::kHandleLock, "layer pixels 0", "checkout_layer_pixels");
  return PF_Err_NONE;
}

PF_Err CheckinLayerPixels(PF_ProgPtr effect_ref, A_long checkout_id) {
  const HostCall fault = Consult("checkin_layer_pixels");
  FrameState *frame = FrameOf(effect_ref);
  if (!frame || checkout_id != 0) return PF_Err_BAD_CALLBACK_PARAM;
  ++frame->checkins;
  // Checking in what was never checked out (after a failed checkout) is harmless.
  if (frame->pixels_checked_out) {
    frame->pixels_checked_out = false;
    CurrentLedger().Release(Resource::kHandleLock, "layer pixels 0", "checkin_layer_pixels");
  }
  return fault.fail ? fault.code : PF_Err_NONE;
}

PF_Err CheckoutOutput(PF_ProgPtr effect_ref, PF_EffectWorld **output) {
  const HostCall fault = Consult("checkout_output");
  if (output) *output = nullptr;
  if (fault.fail) return fault.code;
  FrameState *frame = FrameOf(effect_ref);
  if (!frame || !frame->output || !output) return PF_Err_BAD_CALLBACK_PARAM;
  *output = frame->output->effect_world();
  frame->output_checked_out = true;
  return PF_Err_NONE;
}

}  // namespace

PF_PreRenderCallbacks *PreRenderCallbacks() {
  static PF_PreRenderCallbacks callbacks{CheckoutLayer, nullptr};
  return &callbacks;
}

PF_SmartRenderCallbacks *SmartRenderCallbacks() {
  static PF_SmartRenderCallbacks callbacks{CheckoutLayerPixels, CheckinLayerPixels, CheckoutOutput};
  return &callbacks;
}

FrameResult RenderFrame(Host &host, const FrameRequest &request) {
  FrameResult result;
  FrameState frame;
  frame.input = request.input;
  frame.output = request.output;
  const PF_LRect full{0, 0, request.output ? request.output->width() : 0,
                      request.output ? request.output->height() : 0};

  PF_PreRenderInput pre_input{};
  pre_input.output_request.rect = request.rect.value_or(full);
  pre_input.output_request.channel_mask = 0xF;
  pre_input.bitdepth = request.output ? static_cast<short>(request.output->depth()) : 8;
  PF_PreRenderOutput pre_output{};
  pre_output.result_rect = request.initial_result_rect;
  pre_output.max_result_rect = request.initial_max_result_rect;
  PF_PreRenderExtra pre_extra{&pre_input, &pre_output, PreRenderCallbacks()};

  CommandArgs args;
  args.instance = request.instance;
  args.frame = &frame;
  args.current_time = request.time;
  args.time_step = request.time_step;
  args.time_scale = request.time_scale;
  args.extra = &pre_extra;
  if (request.output) args.output = request.output->effect_world();
  result.pre_render = host.Send(PF_Cmd_SMART_PRE_RENDER, args);
  result.pre_render_output = pre_output;
  result.err = result.pre_render.err;

  if (!result.err && !request.skip_render && request.output) {
    // The output's extent is what pre-render said it will produce, within the frame; an area
    // clipped to nothing is rendered as an empty extent.
    const PF_LRect &r = pre_output.result_rect;
    PF_Rect extent{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, full.right),
                   std::min(r.bottom, full.bottom)};
    if (extent.left >= extent.right || extent.top >= extent.bottom) extent = {0, 0, 0, 0};
    request.output->effect_world()->extent_hint = extent;
    PF_SmartRenderInput render_input{};
    render_input.output_request = pre_input.output_request;
    render_input.bitdepth = pre_input.bitdepth;
    render_input.pre_render_data = pre_output.pre_render_data;
    PF_SmartRenderExtra render_extra{&render_input, SmartRenderCallbacks()};
    args.extra = &render_extra;
    result.render = host.Send(PF_Cmd_SMART_RENDER, args);
    result.err = result.render.err;
    result.rendered = true;
  }
  // The record belongs to the host once handed over, rendered or not.
  if (pre_output.delete_pre_render_data_func && pre_output.pre_render_data) {
    const EffectCodeScope effect_code;
    pre_output.delete_pre_render_data_func(pre_output.pre_render_data);
    result.record_deleted = true;
  }
  return result;
}

}  // namespace huewarp::host
