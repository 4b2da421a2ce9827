// The smart-render protocol as a host drives it for one frame: pre-render with a request,
// the input layer checkout, render with pixel checkouts, then the deletion of the effect's
// pre-render record once the host is done with it.
#pragma once

#include <optional>

#include "AE_Effect.h"
#include "host/core/host.h"
#include "host/render/world.h"

namespace huewarp::host {

/// Host-side state of one frame, reached by the smart-render callbacks through the command.
struct FrameState {
  const World *input = nullptr;
  World *output = nullptr;
  bool layer_checked_out = false;
  PF_RenderRequest layer_request{};
  bool pixels_checked_out = false;
  bool output_checked_out = false;
  int checkins = 0;
};

struct FrameRequest {
  Instance *instance = nullptr;
  A_long time = 0;
  A_long time_step = 1;
  A_u_long time_scale = 30;
  const World *input = nullptr;
  World *output = nullptr;
  /// The area asked for; the whole frame when absent.
  std::optional<PF_LRect> rect;
  /// What the host had placed in the output rectangles before pre-render.
  PF_LRect initial_result_rect{};
  PF_LRect initial_max_result_rect{};
  /// Frees the record without rendering, as a host that drops a frame.
  bool skip_render = false;
};

struct FrameResult {
  PF_Err err = PF_Err_NONE;
  CommandResult pre_render;
  CommandResult render;
  PF_PreRenderOutput pre_render_output{};
  bool record_deleted = false;
  bool rendered = false;
};

/// Pre-renders and renders one frame into `request.output`. The record is always deleted.
FrameResult RenderFrame(Host &host, const FrameRequest &request);

/// The pre-render and smart-render callbacks the host hands to the effect.
PF_PreRenderCallbacks *PreRenderCallbacks();
PF_SmartRenderCallbacks *SmartRenderCallbacks();

}  // namespace huewarp::host
