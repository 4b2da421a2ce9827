// The pieces one ColorGrid draw paints, in the order DrawColorGrid calls them: the input
// reference strip, the preview and bar columns with their checker overlays, then the markers
// and the buttons. Each takes the draw's running error, paints nothing once it is set, and
// leaves the first error in it; what was painted before an error stays.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "AE_Effect.h"
#include "core/arb_data_record.h"
#include "core/param_layout.h"
#include "core/gradient.h"
#include "ui/canvas.h"

namespace huewarp {

/// The parameter values a draw reads, decoded from the event's parameter array.
struct EditorParams {
  std::uint16_t inputRange;
  PF_Fixed offset;
  bool flip;
  std::int32_t valuesOver1;
  double cycleScale;
  bool smoothWrap;
  bool discrete;
  bool lockAlpha;
  bool flagsInitialized;
  PF_Handle arbData;
  /// The whole array, for the slot parameters.
  std::span<PF_ParamDef *const> all;

  double Position(int n) const { return all[PositionSlotIndex(n)]->u.fs_d.value; }
  double AlphaPosition(int n) const { return all[AlphaPositionSlotIndex(n)]->u.fs_d.value; }
  double AlphaValue(int n) const { return all[AlphaValueSlotIndex(n)]->u.fs_d.value; }
};

/// Which slots of each group are shown, as found once per draw; index 0 is unused.
struct VisibleSlots {
  std::array<bool, kMaxSlots + 1> color{};
  std::array<bool, kMaxSlots + 1> alpha{};
};

/// The input reference strip: which input value each row stands for, after offset and flip.
void PaintInputStrip(const Canvas &canvas, const EditorParams &params, PF_Err &err);

/// The output preview column (the gradient repeated by "Cycle Scale") and its checker overlay,
/// then the gradient bar (once over its height) and its overlay.
void PaintGradientColumns(const Canvas &canvas, const Gradient &gradient, float cycleScale,
                          PF_Err &err);

/// The markers of the visible colour stops, then of the visible alpha handles.
void PaintMarkers(const Canvas &canvas, const EditorParams &params, const ArbData &record,
                  const VisibleSlots &visible, PF_Err &err);

/// One "+" or "-" button at `rect` (frame-relative), lit while the pointer hovers it. Returns
/// the first error; everything it made is released on every path.
PF_Err DrawGridButton(const DRAWBOT_UTF16Char *label, const DRAWBOT_RectF32 &rect,
                      const Canvas &canvas);

/// The colour buttons, and the alpha buttons unless the handles are locked to the stops.
void PaintButtons(const Canvas &canvas, bool lockAlpha, PF_Err &err);

}  // namespace huewarp
