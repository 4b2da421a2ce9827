// Where the ColorGrid control puts everything, in one place, so that drawing, hover highlighting
// and click hit tests cannot disagree. Pure and header-only: the effect, the tests and the
// command-line tool all read the same numbers.
//
// All geometry is relative to the control frame the host passes with each event
// (`effect_win.current_frame`: left L, top T, right R, panel pixels). Gradient position grows
// downwards. The three colour columns are painted as rows i = kFirstRow .. kEndRow - 1, each a
// rectangle 1.3 high whose top is T + i + 0.5, so neighbouring rows overlap by 0.3. A coordinate
// such as T + i + 0.5 is formed in double from the integers and rounded once to float: that is
// what makes the recorded drawing identical on every build.
#pragma once

#include <cmath>

#include "AE_Effect.h"
#include "adobesdk/drawbotsuite/DrawbotSuiteTypes.h"

namespace huewarp {

/// The size the control asks the host for in the Effect Controls panel.
inline constexpr A_short kControlWidth = 30;
inline constexpr A_short kControlHeight = 280;

// Rows of the strip, bar and preview columns; position 0 and 1 themselves get no row.
inline constexpr int kFirstRow = 5;
inline constexpr int kEndRow = 275;
inline constexpr float kRowHeight = 1.3f;
/// Gradient position per row: the float nearest 1/275.
inline constexpr float kRowStep = 0.0036363637f;

/// Pixels per percent of a stop's position; markers of stops at 0 and 100 span T + 0.5 .. T +
/// 280.5.
inline constexpr double kMarkerScale = 2.7;
inline constexpr int kMarkerWidth = 13;
inline constexpr int kMarkerHeight = 10;
inline constexpr int kColorMarkerX = 37;
inline constexpr int kAlphaMarkerX = 80;
/// Percent per pixel when dragging a marker: 100/270, the inverse of the marker scale, as the
/// literal the control has always used (one unit in the last place above the quotient).
inline constexpr double kPercentPerPixel = 0.3703703703703704;

inline constexpr int kButtonSize = 11;
inline constexpr int kColorButtonX = 16;
inline constexpr int kAlphaButtonX = 101;
inline constexpr int kPlusButtonY = 65;
inline constexpr int kMinusButtonY = 86;

/// Checkerboard cells are 7 pixels wide and 7 rows high; light and dark greys.
inline constexpr int kCheckerCell = 7;
inline constexpr float kCheckerLight = 1.0f;
inline constexpr float kCheckerDark = 0.7490196f;

/// The preview keeps 110 pixels while the frame is at least 231 wide, then shrinks to nothing at
/// 121, keeping its left edge at L + 120.5.
inline constexpr float kFullPreviewFrameWidth = 231.0f;
inline constexpr float kFullPreviewWidth = 110.0f;
inline constexpr float kPreviewMargin = 121.0f;

/// A column painted row by row: its left edge in panel coordinates (exact, before the one
/// rounding to float) and its width.
struct Column {
  double left;
  float width;
};

/// The colour columns and the checker overlays over the right half of bar and preview.
struct EditorLayout {
  Column strip;
  Column bar;
  Column barChecker;
  Column preview;
  Column previewChecker;
};

/// Width of the output preview column for a frame (may be 0).
inline float PreviewWidth(const PF_Rect &frame) {
  const float frame_width = static_cast<float>(frame.right - frame.left);
  if (frame_width >= kFullPreviewFrameWidth) return kFullPreviewWidth;
  return static_cast<float>(std::fmax(0.0, frame_width - kPreviewMargin));
}

inline EditorLayout LayoutOf(const PF_Rect &frame) {
  const double left = frame.left, right = frame.right;
  const float w = PreviewWidth(frame);
  return {
      .strip = {left + 0.5, 6.0f},
      .bar = {left + 50.5, 30.0f},
      .barChecker = {left + 65.5, 15.0f},
      .preview = {right - w - 0.5, w},
      .previewChecker = {right - w / 2.0 - 0.5, w / 2.0f},
  };
}

/// Gradient position that row i stands for (float product).
inline float RowPosition(int i) { return static_cast<float>(i) * kRowStep; }

/// Row i of a column.
inline DRAWBOT_RectF32 RowRect(const PF_Rect &frame, const Column &column, int i) {
  return {static_cast<float>(column.left),
          static_cast<float>(static_cast<double>(frame.top) + i + 0.5), column.width, kRowHeight};
}

/// Cells of a checker overlay: j = 0, 1, ... while 7j is inside its width.
inline int CheckerCellCount(const Column &overlay) {
  int n = 0;
  while (static_cast<float>(kCheckerCell * n) < overlay.width) ++n;
  return n;
}

/// Cell j of an overlay in row i; the last cell is cut to the overlay's width.
inline DRAWBOT_RectF32 CheckerCellRect(const PF_Rect &frame, const Column &overlay, int i, int j) {
  DRAWBOT_RectF32 cell = RowRect(frame, overlay, i);
  cell.left = static_cast<float>(overlay.left + kCheckerCell * j);
  cell.width = kCheckerCell * j + kCheckerCell < overlay.width
                   ? static_cast<float>(kCheckerCell)
                   : overlay.width - static_cast<float>(kCheckerCell * j);
  return cell;
}

/// Light cells: rows 0..6 of each 14 at even j, rows 7..13 at odd j.
inline bool CheckerCellIsLight(int i, int j) { return (i % 14 < 7) == (j % 2 == 0); }

// Markers. A stop at p percent has its marker's top edge at T + 0.5 + 2.7p; hover and click
// tests round that offset to whole pixels, each its own way.

/// Offset of a marker's top edge below T + 0.5: 2.7p formed in double, stored as float.
inline float MarkerOffset(double position) { return static_cast<float>(kMarkerScale * position); }

/// Vertical offset of a marker's hover box: the float offset rounded half away from zero.
inline int MarkerHoverOffset(double position) {
  return static_cast<int>(std::roundf(MarkerOffset(position)));
}

/// Vertical offset of a marker's click box: p rounded first, then 2.7 times that rounded again.
inline int MarkerClickOffset(double position) {
  return static_cast<int>(std::round(std::round(position) * kMarkerScale));
}

/// The filled rectangles of a colour-stop and an alpha-handle marker.
inline DRAWBOT_RectF32 ColorMarkerRect(const PF_Rect &frame, float offset) {
  return {static_cast<float>(frame.left + kColorMarkerX + 0.5),
          static_cast<float>(static_cast<double>(frame.top) + 0.5 + offset), kMarkerWidth,
          kMarkerHeight};
}
inline DRAWBOT_RectF32 AlphaMarkerRect(const PF_Rect &frame, float offset) {
  return {static_cast<float>(frame.left + kAlphaMarkerX + 0.5),
          static_cast<float>(static_cast<double>(frame.top) + 0.5 + offset), kMarkerWidth,
          kMarkerHeight};
}

// Hover and click boxes. An element at integer frame-relative origin (x, y) and size (w, h) holds
// the points with L + x - 0.5 < h < L + x + w + 2 and T + y + 0.5 < v < T + y + h + 3.5, that is
// whole pixels h = L + x .. L + x + w + 1 and v = T + y + 1 .. T + y + h + 3.

struct HitBox {
  int x, y, w, h;
};

inline bool BoxHolds(const PF_Rect &frame, const HitBox &box, const PF_Point &p) {
  const double left = frame.left, top = frame.top;
  return p.h > left + box.x - 0.5 && p.h < left + box.x + box.w + 2 && p.v > top + box.y + 0.5 &&
         p.v < top + box.y + box.h + 3.5;
}

/// `offset` from MarkerHoverOffset for hovering, MarkerClickOffset for clicks.
inline HitBox ColorMarkerBox(int offset) {
  return {kColorMarkerX, offset, kMarkerWidth, kMarkerHeight};
}
inline HitBox AlphaMarkerBox(int offset) {
  return {kAlphaMarkerX, offset, kMarkerWidth, kMarkerHeight};
}

// The four buttons, frame-relative; the alpha pair exists only while the handles are unlocked.
inline constexpr DRAWBOT_RectF32 kColorPlusButton{kColorButtonX, kPlusButtonY, kButtonSize,
                                                  kButtonSize};
inline constexpr DRAWBOT_RectF32 kColorMinusButton{kColorButtonX, kMinusButtonY, kButtonSize,
                                                   kButtonSize};
inline constexpr DRAWBOT_RectF32 kAlphaPlusButton{kAlphaButtonX, kPlusButtonY, kButtonSize,
                                                  kButtonSize};
inline constexpr DRAWBOT_RectF32 kAlphaMinusButton{kAlphaButtonX, kMinusButtonY, kButtonSize,
                                                   kButtonSize};

/// A button's box: its rectangle's fields rounded half away from zero.
inline HitBox ButtonBox(const DRAWBOT_RectF32 &rect) {
  return {static_cast<int>(std::lroundf(rect.left)), static_cast<int>(std::lroundf(rect.top)),
          static_cast<int>(std::lroundf(rect.width)), static_cast<int>(std::lroundf(rect.height))};
}

}  // namespace huewarp
