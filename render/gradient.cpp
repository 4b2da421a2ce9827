#include "render/gradient.h"

#include <algorithm>
#include <cmath>

#include "render/fused_multiply_add.h"

namespace huewarp {

namespace {

// A position that is not a number would break the ordering the sort and the lookups rely on; such
// an entry is placed at 0 instead, so every list stays totally ordered.
template <class Entry>
void SortByPosition(std::vector<Entry> &entries) {
  for (Entry &entry : entries) {
    if (std::isnan(entry.position)) entry.position = 0.0f;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry &a, const Entry &b) { return a.position < b.position; });
}

template <class Entry>
Entry At(const Entry &entry, float position) {
  Entry moved = entry;
  moved.position = position;
  return moved;
}

template <class Entry>
std::vector<Entry> MakeDiscrete(std::vector<Entry> entries) {
  SortByPosition(entries);
  std::vector<Entry> steps;
  steps.reserve(2 * entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry &entry = entries[i];
    const Entry &next = entries[std::min(i + 1, entries.size() - 1)];
    const double position = entry.position;
    steps.push_back(
        entry.position > 0 ? At(entry, static_cast<float>(std::max(position - 0.01, 0.0))) : entry);
    if (entry.position < 1) {
      steps.push_back(At(next, static_cast<float>(std::min(position + 0.01, 1.0))));
    }
  }
  return steps;
}

// Where a sampled x falls: on one entry (upper is null), or between lower and upper at fraction f.
template <class Entry>
struct Bracket {
  const Entry *lower;
  const Entry *upper;
  float f;
};

// Binary search of a sorted, non-empty list. Below the first entry (or NaN) gives the first, at or
// above the last gives the last; otherwise pos(lower) <= x < pos(upper), so f never divides by 0.
template <class Entry>
Bracket<Entry> Find(const std::vector<Entry> &entries, float x) {
  const Entry &first = entries.front();
  const Entry &last = entries.back();
  if (!(x > first.position)) {
    return {&first, nullptr, 0.0f};
  }
  if (x >= last.position) {
    return {&last, nullptr, 0.0f};
  }
  const auto upper = std::upper_bound(entries.begin(), entries.end(), x,
                                      [](float v, const Entry &e) { return v < e.position; });
  const Entry &lower = *(upper - 1);
  return {&lower, &*upper, (x - lower.position) / (upper->position - lower.position)};
}

// L + f*(U - L) as two fused steps: exact at f = 0 and f = 1.
float Interpolate(float f, float lower, float upper) {
  return FusedMultiplyAdd(f, upper, FusedMultiplyAdd(-f, lower, lower));
}

// The gradient repeated cycleScale times: x = 1 exactly stays 1 (the last entry).
float Cycled(float t, float cycleScale) {
  if (cycleScale == 1.0f) {
    return t;
  }
  const float x = t * cycleScale;
  return x > 1.0f ? static_cast<float>(std::fmod(static_cast<double>(x), 1.0)) : x;
}

template <class Ramp>
const auto &ListAt(const Ramp &ramp, float t) {
  return ramp.edgeBlend && static_cast<double>(t) < 0.02 ? ramp.secondary : ramp.primary;
}

}  // namespace

ColorRamp::ColorRamp(std::vector<ColorStop> &stops, bool wrapActive, bool edgeBlend,
                     float cycleScale)
    : edgeBlend(edgeBlend) {
  SortByPosition(stops);
  secondary = stops;
  if (stops.empty() || !wrapActive || cycleScale < 1.0f) {
    primary = stops;
    return;
  }
  // The lowest stop twice: at 1.0 (the run's end) and at its own position.
  const std::size_t n = stops.size();
  std::vector<ColorStop> wrapped = stops;
  wrapped.push_back(stops.front());
  wrapped.front().position = 1.0f;
  // The run starts at 0.98: pull stops above it down there, or add the last colour at 0.98.
  if (static_cast<double>(wrapped[n - 1].position) > 0.98) {
    for (std::size_t i = n - 1; i != 0 && static_cast<double>(wrapped[i].position) > 0.98; --i) {
      wrapped[i].position = 0.98f;
    }
  } else {
    wrapped.push_back(At(stops.back(), 0.98f));
  }
  SortByPosition(wrapped);
  primary = std::move(wrapped);
}

AlphaRamp::AlphaRamp(std::vector<AlphaHandle> &handles, bool wrapActive, bool edgeBlend,
                     float cycleScale)
    : edgeBlend(edgeBlend) {
  SortByPosition(handles);
  secondary = handles;
  if (handles.empty() || !wrapActive || cycleScale < 1.0f) {
    primary = handles;
  } else {
    // The highest handle at 0, then the run up to the first alpha at 0.02.
    std::vector<AlphaHandle> wrapped;
    wrapped.reserve(handles.size() + 2);
    wrapped.push_back(At(handles.back(), 0.0f));
    wrapped.insert(wrapped.end(), handles.begin(), handles.end());
    if (static_cast<double>(wrapped[1].position) >= 0.02) {
      wrapped.push_back(At(handles.front(), 0.02f));
    } else {
      for (std::size_t i = 1; i < wrapped.size() && static_cast<double>(wrapped[i].position) < 0.02;
           ++i) {
        wrapped[i].position = 0.02f;
      }
    }
    SortByPosition(wrapped);
    primary = std::move(wrapped);
  }
  opaque = std::all_of(primary.begin(), primary.end(),
                       [](const AlphaHandle &h) { return h.alpha == 1.0f; });
}

std::vector<ColorStop> MakeDiscreteColorStops(std::vector<ColorStop> stops) {
  return MakeDiscrete(std::move(stops));
}

std::vector<AlphaHandle> MakeDiscreteAlphaHandles(std::vector<AlphaHandle> handles) {
  return MakeDiscrete(std::move(handles));
}

Rgb SampleColor(const ColorRamp &ramp, float t, float cycleScale) {
  const std::vector<ColorStop> &stops = ListAt(ramp, t);
  if (stops.empty()) {
    return {0.0f, 0.0f, 0.0f};
  }
  const float x = Cycled(t, cycleScale);
  const Bracket<ColorStop> at = Find(stops, x);
  ColorStop c = *at.lower;
  if (at.upper != nullptr) {
    c.red = Interpolate(at.f, at.lower->red, at.upper->red);
    c.green = Interpolate(at.f, at.lower->green, at.upper->green);
    c.blue = Interpolate(at.f, at.lower->blue, at.upper->blue);
  }
  if (ramp.edgeBlend && static_cast<double>(t) > 0.98) {
    // Towards the first colour, reached at t = 1, so that the wrap from 1 to 0 is seamless.
    const float w = static_cast<float>((static_cast<double>(t) - 0.98) * 50.0);
    const ColorStop &first = stops.front();
    c.red = Interpolate(w, c.red, first.red);
    c.green = Interpolate(w, c.green, first.green);
    c.blue = Interpolate(w, c.blue, first.blue);
  }
  return {std::sqrt(c.red), std::sqrt(c.green), std::sqrt(c.blue)};
}

float SampleAlpha(const AlphaRamp &ramp, float t, float cycleScale) {
  const std::vector<AlphaHandle> &handles = ListAt(ramp, t);
  if (handles.empty()) {
    return 1.0f;
  }
  const float x = Cycled(t, cycleScale);
  const Bracket<AlphaHandle> at = Find(handles, x);
  float a =
      at.upper != nullptr ? Interpolate(at.f, at.lower->alpha, at.upper->alpha) : at.lower->alpha;
  if (ramp.edgeBlend && static_cast<double>(x) < 0.02) {
    // From the last alpha at x = 0 to the sampled one at 0.02.
    const float s = 50.0f * x;
    a = FusedMultiplyAdd(1.0f - s, handles.back().alpha, s * a);
  }
  return a;
}

}  // namespace huewarp
