#include "core/gradient_settings.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace huewarp {

Gradient BuildGradient(const GradientSettings &settings) {
  const bool editor = settings.use == GradientUse::kEditor;
  std::vector<ColorStop> stops;
  for (const StopSetting &s : settings.stops) {
    if (!s.shown) continue;
    const double position = editor ? std::round(s.position) : s.position;
    stops.push_back(
        {static_cast<float>(position * 0.01), s.red * s.red, s.green * s.green, s.blue * s.blue});
  }
  std::vector<AlphaHandle> handles;
  for (const HandleSetting &h : settings.handles) {
    if (!h.shown) continue;
    handles.push_back({static_cast<float>(h.position * 0.01), static_cast<float>(h.value * 0.01)});
  }
  if (settings.discrete) {
    stops = MakeDiscreteColorStops(std::move(stops));
    handles = MakeDiscreteAlphaHandles(std::move(handles));
  }
  const float cycle = static_cast<float>(settings.cycleScale);
  const bool cycled = editor ? settings.cycleScale != 1.0 : cycle != 1.0f;
  const bool edge_blend = settings.smoothWrap && cycled;
  const bool wrap_active =
      settings.smoothWrap && (cycled || OffsetWrapped(settings.offset) != 0.0f ||
                              settings.valuesOver1 == kValuesOver1Wrap);
  return {ColorRamp(stops, wrap_active, edge_blend, cycle),
          AlphaRamp(handles, wrap_active, edge_blend, cycle)};
}

PreRenderData MappingRecord(const FrameSettings &settings) {
  const GradientSettings &g = settings.gradient;
  PreRenderData record{};
  record.pixelFormat = PF_PixelFormat_INVALID;
  record.inputRange = settings.inputRange;
  record.valuesOver1 = static_cast<std::uint16_t>(g.valuesOver1 & 0xFFFF);
  record.offsetWrapped = OffsetWrapped(g.offset);
  record.offsetTurns = OffsetTurns(g.offset);
  record.cycleScale = static_cast<float>(g.cycleScale);
  record.smoothWrap = g.smoothWrap;
  record.flip = settings.flip;
  record.composite = settings.composite;
  record.blend = static_cast<float>(settings.blend * 0.01);
  return record;
}

}  // namespace huewarp
