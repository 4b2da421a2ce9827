// An instance whose ColorGrid control receives events through the host, the recorded drawing of
// a draw sorted by what each fill belongs to, and the gradient the editor should show, built with
// the core alone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/ui/drawing.h"
#include "host/ui/events.h"
#include "instance_fixture.h"
#include "core/param_layout.h"
#include "core/gradient_settings.h"
#include "render_fixture.h"

namespace huewarp::testing {

using host::draw::Color;
using host::draw::Fill;
using host::draw::Rect;

/// A control frame away from the panel's origin, so that every offset from it shows.
inline constexpr PF_Rect kFrame{40, 100, 340, 380};
/// A pointer position inside the frame that hovers nothing.
inline constexpr PF_Point kNowhere{kFrame.left + 150, kFrame.top + 200};

inline float RowTop(const PF_Rect &frame, int i) { return static_cast<float>(frame.top + i + 0.5); }
inline float RowT(int i) { return static_cast<float>(i) * 0.0036363637f; }
inline Color Grey(float level, float alpha = 1) { return {level, level, level, alpha}; }
inline Color Opaque(const Rgb &c) { return {c.red, c.green, c.blue, 1}; }

/// The fills whose rectangle starts at `left` with width `width`, in order.
inline std::vector<Fill> FillsAt(const host::Drawing &drawing, float left, float width) {
  std::vector<Fill> out;
  for (const Fill &fill : drawing.OperationsOf<Fill>()) {
    const Rect &r = fill.shape.rects.at(0);
    if (r.left == left && r.width == width) out.push_back(fill);
  }
  return out;
}

/// The translucent fills (checker cells) of one row whose left edge lies in [from, to).
inline std::vector<Fill> CellsOfRow(const host::Drawing &drawing, const PF_Rect &frame, int i,
                                    float from, float to) {
  std::vector<Fill> out;
  for (const Fill &fill : drawing.OperationsOf<Fill>()) {
    const Rect &r = fill.shape.rects.at(0);
    if (fill.color.alpha < 1 && r.top == RowTop(frame, i) && r.left >= from && r.left < to) {
      out.push_back(fill);
    }
  }
  return out;
}

inline host::EventResult Draw(SetUpInstance &s, const PF_Rect &frame = kFrame) {
  return host::SendEvent(*s.instance, host::DrawEvent(frame));
}

inline void MoveMouse(SetUpInstance &s, PF_Point point, const PF_Rect &frame = kFrame) {
  ASSERT_EQ(host::SendEvent(*s.instance, host::AdjustCursorEvent(frame, point)).command.err, 0);
}

/// An instance after its first draw (which hides the slots it does not use), the pointer parked
/// where it hovers nothing and `look` applied.
inline SetUpInstance DrawnInstance(const Look &look = {}) {
  SetUpInstance s = MakeInstance();
  EXPECT_EQ(Draw(s).command.err, 0);
  MoveMouse(s, kNowhere);
  ApplyLook(*s.instance, look);
  return s;
}

/// The gradient the editor shows for a look, and the cycle scale its preview repeats it by.
struct EditorGradient {
  explicit EditorGradient(const Look &look)
      : gradient(BuildGradient(GradientSettingsOf(look, GradientUse::kEditor))),
        cycle(static_cast<float>(look.cycle_scale)) {}
  Gradient gradient;
  float cycle;
};

}  // namespace huewarp::testing
