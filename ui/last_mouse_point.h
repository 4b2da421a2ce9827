// The last pointer position seen inside a ColorGrid control, shared by every instance of the
// effect in the process. Written by cursor and drag events, read by click hit tests and by hover
// highlighting when drawing. Only user-interface events touch it, one at a time, so it has no lock.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectUI.h"

namespace huewarp {

/// The stored point, panel coordinates; (0, 0) until the first store, never reset.
PF_Point LastMousePoint();

/// Stores `point` when the event is for the control area and the point lies strictly inside the
/// control's frame (a point on the border is not inside).
void NoteMousePoint(const PF_EffectWindowInfo &window, const PF_Point &point);

}  // namespace huewarp
