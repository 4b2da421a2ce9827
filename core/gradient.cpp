#include "core/gradient.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/mapping_kernel.h"

namespace huewarp {

namespace {

// A position that is not a number would break the ordering the sort and the lookups rely on; such
// an entry is placed at 0 instead, so every list stays totally ordered. Stable, so that entries at
// one position keep their slot order (what makes a hard edge predictable), and an insertion sort,
// so that it allocates nothing: lists hold at most a few hundred entries.
template <class Entry>
void SortByPosition(std::vector<Entry> &entries) {
  for (Entry &entry : entries) {
    if (std::isnan(entry.position)) entry.position = 0.0f;
  }
  for (auto next = entries.begin(); next != entries.end(); ++next) {
    const auto to =
        std::upper_bound(entries.begin(), next, *next,
                         [](const Entry &a, const Entry &b) { return a.position < b.position; });
    std::rotate(to, next, std::next(next));
  }
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
  return kernel::SampleColorWith<kernel::SoftwareFma, false>(ramp, t, cycleScale, {});
}

float SampleAlpha(const AlphaRamp &ramp, float t, float cycleScale) {
  return kernel::SampleAlphaWith<kernel::SoftwareFma, false>(ramp, t, cycleScale, {});
}

}  // namespace huewarp
