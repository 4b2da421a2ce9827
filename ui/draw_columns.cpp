// The three colour columns of the ColorGrid control and the checkerboards that show
// transparency. Every row and every checker cell is its own filled rectangle.
#include <cmath>
#include <optional>
#include <vector>

#include "core/pixel_mapping.h"
#include "shell/allocation.h"
#include "ui/editor_draw.h"
#include "core/editor_layout.h"

namespace huewarp {
namespace {

struct Rgb3 {
  double red, green, blue;
};

constexpr Rgb3 kRed{1, 0, 0}, kYellow{1, 1, 0}, kGreen{0, 1, 0}, kBlue{0, 0, 1}, kMagenta{1, 0, 1},
    kWhite{1, 1, 1}, kBlack{0, 0, 0};

ColorStop Entry(double position, const Rgb3 &c) {
  return {static_cast<float>(position), static_cast<float>(c.red), static_cast<float>(c.green),
          static_cast<float>(c.blue)};
}

/// From white at the top to `end` at the bottom.
std::vector<ColorStop> FromWhite(const Rgb3 &end) { return {Entry(0, kWhite), Entry(1, end)}; }

/// What each input value looks like, as (position; red, green, blue) entries used unsquared, so
/// the strip shows the square root of the interpolated value.
std::vector<ColorStop> ReferenceStops(std::uint16_t inputRange) {
  switch (inputRange) {
    case kInputIntensity:
    case kInputAlpha:
      return {Entry(0, kBlack), Entry(1, kWhite)};
    case kInputHue:
      // Five hues: the run from green to blue passes no cyan.
      return {Entry(0, kRed),        Entry(1.0 / 6, kYellow),  Entry(1.0 / 3, kGreen),
              Entry(2.0 / 3, kBlue), Entry(5.0 / 6, kMagenta), Entry(1, kRed)};
    case kInputSaturation: {
      // Twice round the five hues, each desaturated towards its own mean by its position.
      constexpr double kPositions[] = {0,        1.0 / 12, 1.0 / 6, 1.0 / 3,   5.0 / 12, 0.5,
                                       7.0 / 12, 2.0 / 3,  5.0 / 6, 11.0 / 12, 1};
      constexpr Rgb3 kHues[] = {kRed,    kYellow, kGreen, kBlue,    kMagenta, kRed,
                                kYellow, kGreen,  kBlue,  kMagenta, kRed};
      std::vector<ColorStop> stops;
      for (int e = 0; e < 11; ++e) {
        const double s = kPositions[e];
        const Rgb3 &c = kHues[e];
        const double m = (c.red + c.green + c.blue) / 3;
        stops.push_back(Entry(
            s, {s * c.red + (1 - s) * m, s * c.green + (1 - s) * m, s * c.blue + (1 - s) * m}));
      }
      return stops;
    }
    case kInputRed:
      return FromWhite(kRed);
    case kInputGreen:
      return FromWhite(kGreen);
    case kInputBlue:
      return FromWhite(kBlue);
    case kInputCyan:
      return FromWhite({3 / 255.0, 215 / 255.0, 252 / 255.0});
    case kInputMagenta:
      return FromWhite({235 / 255.0, 2 / 255.0, 165 / 255.0});
    case kInputYellow:
      return FromWhite({255 / 255.0, 230 / 255.0, 5 / 255.0});
    default:
      return FromWhite(kBlack);
  }
}

DRAWBOT_ColorRGBA Opaque(const Rgb &c) { return {c.red, c.green, c.blue, 1.0f}; }

float CheckerGrey(int i, int j) { return CheckerCellIsLight(i, j) ? kCheckerLight : kCheckerDark; }

/// The cells of one overlay row, each a checker grey at alpha k, when k is at least 0.01.
void PaintCheckerRow(const Canvas &canvas, const Column &overlay, int i, float k, PF_Err &err) {
  if (static_cast<double>(k) < 0.01) return;
  const int cells = CheckerCellCount(overlay);
  for (int j = 0; j < cells && !err; ++j) {
    FillRect(canvas, CheckerCellRect(canvas.frame, overlay, i, j), Grey(CheckerGrey(i, j), k), err);
  }
}

}  // namespace

void PaintInputStrip(const Canvas &canvas, const EditorParams &params, PF_Err &err) {
  std::optional<ColorRamp> reference;
  Allocating(err, [&] {
    std::vector<ColorStop> stops = ReferenceStops(params.inputRange);
    reference.emplace(stops, false, false, 1.0f);
  });
  if (!reference) return;
  const float offset = OffsetWrapped(params.offset);
  const Column strip = LayoutOf(canvas.frame).strip;
  for (int i = kFirstRow; i < kEndRow && !err; ++i) {
    float u = static_cast<float>(std::fmod(offset + RowPosition(i), 1.0));
    if (params.flip) u = 1.0f - u;
    const Rgb c = SampleColor(*reference, u, 1.0f);
    // Alpha is shown as 7-row bands of the checker greys whose opacity grows with the input.
    const DRAWBOT_ColorRGBA color = params.inputRange == kInputAlpha
                                        ? Grey(i % 14 < 7 ? kCheckerLight : kCheckerDark, c.red)
                                        : Opaque(c);
    FillRect(canvas, RowRect(canvas.frame, strip, i), color, err);
  }
}

void PaintGradientColumns(const Canvas &canvas, const Gradient &gradient, float cycleScale,
                          PF_Err &err) {
  const EditorLayout layout = LayoutOf(canvas.frame);
  const bool opaque = gradient.alphaRamp.opaque;

  for (int i = kFirstRow; i < kEndRow && !err; ++i) {
    const Rgb c = SampleColor(gradient.colorRamp, RowPosition(i), cycleScale);
    FillRect(canvas, RowRect(canvas.frame, layout.preview, i), Opaque(c), err);
  }
  if (!opaque && layout.previewChecker.width > 0) {
    for (int i = kFirstRow; i < kEndRow && !err; ++i) {
      const float a = SampleAlpha(gradient.alphaRamp, RowPosition(i), cycleScale);
      PaintCheckerRow(canvas, layout.previewChecker, i, 1.0f - a, err);
    }
  }

  for (int i = kFirstRow; i < kEndRow && !err; ++i) {
    const Rgb c = SampleColor(gradient.colorRamp, RowPosition(i), 1.0f);
    FillRect(canvas, RowRect(canvas.frame, layout.bar, i), Opaque(c), err);
  }
  if (!opaque) {
    for (int i = kFirstRow; i < kEndRow && !err; ++i) {
      const float a = SampleAlpha(gradient.alphaRamp, RowPosition(i), 1.0f);
      PaintCheckerRow(canvas, layout.barChecker, i, 1.0f - a, err);
    }
  }
}

}  // namespace huewarp
