// The stop and handle markers beside the gradient bar and the four "+"/"-" buttons, with their
// selected and hovered looks.
#include "shell/drawbot_access.h"
#include "ui/editor_draw.h"
#include "ui/last_mouse_point.h"
#include "core/editor_layout.h"

namespace huewarp {
namespace {

/// Marker greys and the button fill are brightened by this factor (1/0.918), in double.
constexpr double kBrightness = 1.0893246187363834;

float Brightened(double grey) { return static_cast<float>(grey * kBrightness); }

constexpr double kMarkerGrey = 0.33, kMarkerLitGrey = 0.56;
constexpr double kButtonFill = 0.1412, kButtonLitFill = 0.502;
constexpr float kButtonBorder = 0.546841f, kButtonPenWidth = 2.5f;
constexpr float kButtonLabel = 0.5647f, kButtonLitLabel = 0.1098f;

const DRAWBOT_UTF16Char kPlus[] = {u'+', 0};
const DRAWBOT_UTF16Char kMinus[] = {u'-', 0};

/// One group's markers: slot n of the group sits at MarkerOffset(position(n)).
template <class PositionOf, class RectOf, class BoxOf>
void PaintMarkerGroup(const Canvas &canvas, int slots_used, int current,
                      const std::array<bool, kMaxSlots + 1> &visible, PositionOf position,
                      RectOf rect_of, BoxOf box_of, PF_Err &err) {
  const PF_Point mouse = LastMousePoint();
  for (int n = 1; n <= slots_used && n <= kMaxSlots && !err; ++n) {
    if (!visible[n]) continue;
    const double p = position(n);
    const bool lit = n == current || BoxHolds(canvas.frame, box_of(MarkerHoverOffset(p)), mouse);
    FillRect(canvas, rect_of(canvas.frame, MarkerOffset(p)),
             Grey(Brightened(lit ? kMarkerLitGrey : kMarkerGrey)), err);
  }
}

}  // namespace

void PaintMarkers(const Canvas &canvas, const EditorParams &params, const ArbData &record,
                  const VisibleSlots &visible, PF_Err &err) {
  PaintMarkerGroup(
      canvas, record.color_slots_used, record.current_handle, visible.color,
      [&](int n) { return params.Position(n); }, ColorMarkerRect, ColorMarkerBox, err);
  PaintMarkerGroup(
      canvas, record.alpha_slots_used, record.current_alpha_handle, visible.alpha,
      [&](int n) { return params.AlphaPosition(n); }, AlphaMarkerRect, AlphaMarkerBox, err);
}

PF_Err DrawGridButton(const DRAWBOT_UTF16Char *label, const DRAWBOT_RectF32 &rect,
                      const Canvas &canvas) {
  const bool lit = BoxHolds(canvas.frame, ButtonBox(rect), LastMousePoint());
  const DRAWBOT_ColorRGBA fill = Grey(Brightened(lit ? kButtonLitFill : kButtonFill));
  const DRAWBOT_ColorRGBA text = Grey(lit ? kButtonLitLabel : kButtonLabel);
  const DRAWBOT_ColorRGBA border = Grey(kButtonBorder);
  const DRAWBOT_RectF32 at{static_cast<float>(static_cast<double>(rect.left) + canvas.frame.left),
                           static_cast<float>(static_cast<double>(rect.top) + canvas.frame.top),
                           rect.width, rect.height};
  const float font_size = 2 * at.height - 10;
  const bool plus = label[0] == u'+' && label[1] == 0;
  const DRAWBOT_PointF32 origin{at.left + (plus ? 1.25f : 2.75f), at.top + font_size - 4};

  const DRAWBOT_Suites &suites = canvas.suites;
  const DRAWBOT_SupplierSuite1 &supplier = *suites.supplier_suiteP;
  DrawbotObject<DRAWBOT_BrushRef> fill_brush(supplier), text_brush(supplier);
  DrawbotObject<DRAWBOT_PenRef> pen(supplier);
  DrawbotObject<DRAWBOT_PathRef> path(supplier);
  DrawbotObject<DRAWBOT_FontRef> font(supplier);

  PF_Err err = supplier.NewPath(canvas.supplier, path.receive());
  if (!err) err = suites.path_suiteP->AddRect(path.get(), &at);
  if (!err) err = supplier.NewBrush(canvas.supplier, &fill, fill_brush.receive());
  if (!err) {
    err = suites.surface_suiteP->FillPath(canvas.surface, fill_brush.get(), path.get(),
                                          kDRAWBOT_FillType_Winding);
  }
  // The outline is centred on the rectangle's edge.
  if (!err) err = supplier.NewPen(canvas.supplier, &border, kButtonPenWidth, pen.receive());
  if (!err) err = suites.surface_suiteP->StrokePath(canvas.surface, pen.get(), path.get());
  if (!err) err = supplier.NewBrush(canvas.supplier, &text, text_brush.receive());
  if (!err) err = supplier.NewDefaultFont(canvas.supplier, font_size, font.receive());
  if (!err) {
    err = suites.surface_suiteP->DrawString(canvas.surface, text_brush.get(), font.get(), label,
                                            &origin, kDRAWBOT_TextAlignment_Left,
                                            kDRAWBOT_TextTruncation_None, 0);
  }
  KeepFirst(err, fill_brush.Release());
  KeepFirst(err, pen.Release());
  KeepFirst(err, path.Release());
  KeepFirst(err, font.Release());
  KeepFirst(err, text_brush.Release());
  return err;
}

void PaintButtons(const Canvas &canvas, bool lockAlpha, PF_Err &err) {
  if (!err) err = DrawGridButton(kPlus, kColorPlusButton, canvas);
  if (!err) err = DrawGridButton(kMinus, kColorMinusButton, canvas);
  if (lockAlpha) return;
  if (!err) err = DrawGridButton(kPlus, kAlphaPlusButton, canvas);
  if (!err) err = DrawGridButton(kMinus, kAlphaMinusButton, canvas);
}

}  // namespace huewarp
