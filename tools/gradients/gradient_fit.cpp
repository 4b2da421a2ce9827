#include "tools/gradients/gradient_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "core/gradient.h"

namespace huewarp::tool {
namespace {

/// Evenly spaced sample points; the source's breaks and their neighbours are added, so that no
/// corner or edge of the source falls between two of them.
constexpr int kGridSteps = 16384;
/// Smaller differences across a break are rounding, not an edge.
constexpr double kNoJump = 1e-6;
/// Where the source moves faster than this between neighbouring samples, more are taken, so
/// that steep stretches (a curved blend near its start) are seen between the even ones.
constexpr double kSampleStep = 0.02 / 255;
constexpr std::size_t kMostSamples = 1 << 20;

float Unit(double v) { return NearestFloat(std::clamp(v, 0.0, 1.0)); }

template <class Value>
struct Knot {
  float position;
  Value value;
};

/// Colour stops as the effect builds them: positions as read, components squared in float.
struct ColorChannels {
  using Value = std::array<float, 3>;
  using Ramp = ColorRamp;
  static Value Of(const Rgba &c) { return {Unit(c.red), Unit(c.green), Unit(c.blue)}; }
  static bool Differ(const Rgba &a, const Rgba &b, double jump) {
    return std::abs(a.red - b.red) > jump || std::abs(a.green - b.green) > jump ||
           std::abs(a.blue - b.blue) > jump;
  }
  static double Error(const Value &v, const Rgba &source) {
    const Value s = Of(source);
    double worst = 0;
    for (int i = 0; i < 3; ++i) worst = std::max(worst, std::abs(double(v[i]) - double(s[i])));
    return worst;
  }
  static ColorStop Stop(float position, const Value &v) {
    return {position, v[0] * v[0], v[1] * v[1], v[2] * v[2]};
  }
  static Ramp Build(const std::vector<Knot<Value>> &knots) {
    std::vector<ColorStop> stops;
    for (const auto &k : knots) stops.push_back(Stop(k.position, k.value));
    return ColorRamp(stops, false, false, 1.0f);
  }
  static Value Sample(const Ramp &ramp, float t) {
    const Rgb c = SampleColor(ramp, t, 1.0f);
    return {c.red, c.green, c.blue};
  }
  /// The input index of each entry after the effect's sort: the sort sees positions only, so a
  /// tag in a component rides along.
  static std::vector<int> SortOrder(const std::vector<float> &positions) {
    std::vector<ColorStop> stops;
    for (std::size_t i = 0; i < positions.size(); ++i) {
      stops.push_back({positions[i], static_cast<float>(i), 0, 0});
    }
    ColorRamp sorted(stops, false, false, 1.0f);
    std::vector<int> order;
    for (const ColorStop &s : stops) order.push_back(static_cast<int>(s.red));
    return order;
  }
};

/// Alpha handles: mixed plainly.
struct AlphaChannel {
  using Value = float;
  using Ramp = AlphaRamp;
  static Value Of(const Rgba &c) { return Unit(c.alpha); }
  static bool Differ(const Rgba &a, const Rgba &b, double jump) {
    return std::abs(a.alpha - b.alpha) > jump;
  }
  static double Error(const Value &v, const Rgba &source) {
    return std::abs(double(v) - double(Of(source)));
  }
  static Ramp Build(const std::vector<Knot<Value>> &knots) {
    std::vector<AlphaHandle> handles;
    for (const auto &k : knots) handles.push_back({k.position, k.value});
    return AlphaRamp(handles, false, false, 1.0f);
  }
  static Value Sample(const Ramp &ramp, float t) { return SampleAlpha(ramp, t, 1.0f); }
  static std::vector<int> SortOrder(const std::vector<float> &positions) {
    std::vector<AlphaHandle> handles;
    for (std::size_t i = 0; i < positions.size(); ++i) {
      handles.push_back({positions[i], static_cast<float>(i)});
    }
    AlphaRamp sorted(handles, false, false, 1.0f);
    std::vector<int> order;
    for (const AlphaHandle &h : handles) order.push_back(static_cast<int>(h.alpha));
    return order;
  }
};

struct Samples {
  std::vector<float> t;
  std::vector<Rgba> source;
};

double Distance(const Rgba &a, const Rgba &b) {
  return std::max({std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue),
                   std::abs(a.alpha - b.alpha)});
}

Samples SampleSource(const SourceGradient &source, const std::vector<double> &breaks) {
  std::vector<float> even;
  for (int i = 0; i <= kGridSteps; ++i) even.push_back(NearestFloat(double(i) / kGridSteps));
  for (const double b : breaks) {
    const float f = static_cast<float>(b);
    for (const float t : {std::nextafter(f, 0.0f), f, std::nextafter(f, 2.0f)}) {
      if (t >= 0 && t <= 1) even.push_back(t);
    }
  }
  std::sort(even.begin(), even.end());
  even.erase(std::unique(even.begin(), even.end()), even.end());
  Samples s;
  s.t.push_back(even[0]);
  s.source.push_back(ColorAt(source, even[0]));
  for (std::size_t i = 1; i < even.size(); ++i) {
    // Halve the gap to the next even sample until the source moves little across each part.
    std::vector<std::pair<float, Rgba>> pending{{even[i], ColorAt(source, even[i])}};
    while (!pending.empty()) {
      const auto [t, c] = pending.back();
      const float mid = NearestFloat((double(s.t.back()) + double(t)) / 2);
      if (Distance(s.source.back(), c) > kSampleStep && mid > s.t.back() && mid < t &&
          s.t.size() + pending.size() < kMostSamples) {
        pending.emplace_back(mid, ColorAt(source, mid));
        continue;
      }
      s.t.push_back(t);
      s.source.push_back(c);
      pending.pop_back();
    }
  }
  return s;
}

template <class C>
class Fitter {
 public:
  using K = Knot<typename C::Value>;

  Fitter(const SourceGradient &source, const Samples &samples, const std::vector<double> &breaks)
      : source_(source), samples_(samples), breaks_(breaks) {}

  /// The knots in slot order and their largest error, or nothing when more than `max` are
  /// needed at this tolerance; differences across a break up to `jump` are not kept as edges.
  std::optional<std::pair<std::vector<K>, double>> Fit(double tolerance, double jump,
                                                       std::size_t max) const {
    std::vector<K> knots{Sample(0)};
    if (Largest(knots) <= tolerance) return std::pair{knots, Largest(knots)};
    std::vector<double> edges;
    for (const double b : breaks_) {
      if (C::Differ(ColorBefore(source_, b), ColorAt(source_, b), jump)) edges.push_back(b);
    }
    if (edges.empty() || edges.back() < 1) edges.push_back(1);
    for (const double e : edges) {
      const K end{static_cast<float>(e), C::Of(ColorBefore(source_, e))};
      Reach(knots, end, tolerance, max);
      knots.push_back(end);
      if (e < 1 || C::Differ(ColorBefore(source_, e), ColorAt(source_, e), jump)) {
        knots.push_back({static_cast<float>(e), C::Of(ColorAt(source_, e))});
      }
      if (knots.size() > max) return std::nullopt;
    }
    // `knots` stays ascending with each edge's pair left then right; `slots` is what is written.
    std::vector<K> slots = SlotOrder(knots);
    double error = Largest(slots);
    // The reach assumes a chord that fails never succeeds further on; where the source breaks
    // that, the worst sample becomes a stop of its own.
    while (error > tolerance && knots.size() < max) {
      const std::size_t worst = Errors(slots).second;
      const float t = samples_.t[worst];
      auto at = std::lower_bound(knots.begin(), knots.end(), t,
                                 [](const K &k, float p) { return k.position < p; });
      if (at != knots.end() && at->position == t) break;
      knots.insert(at, Sample(worst));
      slots = SlotOrder(knots);
      error = Largest(slots);
    }
    if (error > tolerance) return std::nullopt;
    return std::pair{std::move(slots), error};
  }

  double Largest(const std::vector<K> &knots) const { return Errors(knots).first; }

  bool HasEdges() const {
    return std::any_of(breaks_.begin(), breaks_.end(), [&](double b) {
      return C::Differ(ColorBefore(source_, b), ColorAt(source_, b), kNoJump);
    });
  }

 private:
  K Sample(std::size_t i) const { return {samples_.t[i], C::Of(samples_.source[i])}; }

  double ChordError(const K &a, const K &b, std::size_t from, std::size_t to) const {
    const typename C::Ramp ramp = C::Build({a, b});
    double worst = 0;
    for (std::size_t i = from; i < to; ++i) {
      worst = std::max(worst, C::Error(C::Sample(ramp, samples_.t[i]), samples_.source[i]));
    }
    return worst;
  }

  /// Adds knots after the last one, each as far along as the tolerance allows, until `end` can
  /// be reached from the last.
  void Reach(std::vector<K> &knots, const K &end, double tolerance, std::size_t max) const {
    const std::vector<float> &t = samples_.t;
    while (knots.size() <= max) {
      const K from = knots.back();
      const std::size_t lo = std::upper_bound(t.begin(), t.end(), from.position) - t.begin();
      const std::size_t hi = std::lower_bound(t.begin(), t.end(), end.position) - t.begin();
      if (lo >= hi || ChordError(from, end, lo, hi) <= tolerance) return;
      // A chord to the next sample covers no sample, so `good` always holds.
      auto holds = [&](std::size_t j) { return ChordError(from, Sample(j), lo, j) <= tolerance; };
      std::size_t good = lo, step = 1;
      while (good + step < hi && holds(good + step)) {
        good += step;
        step *= 2;
      }
      std::size_t bad = std::min(good + step, hi);
      while (bad - good > 1) {
        const std::size_t mid = good + (bad - good) / 2;
        (holds(mid) ? good : bad) = mid;
      }
      knots.push_back(Sample(good));
    }
  }

  /// The largest error over all samples with the effect's whole ramp, and where it is.
  std::pair<double, std::size_t> Errors(const std::vector<K> &knots) const {
    const typename C::Ramp ramp = C::Build(knots);
    std::pair<double, std::size_t> worst{0, 0};
    for (std::size_t i = 0; i < samples_.t.size(); ++i) {
      const double e = C::Error(C::Sample(ramp, samples_.t[i]), samples_.source[i]);
      if (e > worst.first) worst = {e, i};
    }
    return worst;
  }

  /// Ascending knots, with the two of each edge swapped in the list where the effect's sort,
  /// which is not stable, would put them the wrong way round. The sort compares positions only,
  /// so swapping two equal ones in its input swaps them in its output.
  static std::vector<K> SlotOrder(std::vector<K> knots) {
    std::vector<float> positions;
    for (const K &k : knots) positions.push_back(k.position);
    const std::vector<int> order = C::SortOrder(positions);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
      const int a = order[i], b = order[i + 1];
      if (positions[a] == positions[b] && a > b) std::swap(knots[a], knots[b]);
    }
    return knots;
  }

  const SourceGradient &source_;
  const Samples &samples_;
  const std::vector<double> &breaks_;
};

/// Fits one kind of knot: at the tolerance if `max` knots suffice, else at the smallest wider
/// tolerance found that they do.
template <class C>
std::pair<std::vector<Knot<typename C::Value>>, double> FitKnots(const Fitter<C> &fitter,
                                                                 double tolerance,
                                                                 std::size_t max) {
  if (auto fit = fitter.Fit(tolerance, kNoJump, max)) return *fit;
  double low = tolerance, high = 1.0;
  const bool edges = fitter.HasEdges();
  auto best = fitter.Fit(high, high, max);
  // Sixteen halvings find the bound within a hundredth of an 8-bit step.
  for (int i = 0; i < 16; ++i) {
    const double mid = (low + high) / 2;
    // Edges are given up smallest first; with more edges than stops, all of them.
    auto fit = fitter.Fit(mid, std::max(mid, kNoJump), max);
    if (!fit && edges) fit = fitter.Fit(mid, 1.0, max);
    if (fit) {
      best = std::move(fit);
      high = mid;
    } else {
      low = mid;
    }
  }
  return *best;
}

}  // namespace

FittedGradient FitGradient(SourceGradient source, double tolerance, int max_stops) {
  SnapPositions(source);
  // Inside the bound by what the source and the fit can move between two samples, so that
  // points between the samples stay within it too.
  tolerance = std::max(tolerance - 2 * kSampleStep, tolerance / 2);
  const std::vector<double> breaks = Breaks(source);
  const Samples samples = SampleSource(source, breaks);
  const std::size_t max = static_cast<std::size_t>(std::max(max_stops, 2));
  FittedGradient fitted;

  const auto [stops, color_error] =
      FitKnots(Fitter<ColorChannels>(source, samples, breaks), tolerance, max);
  for (const auto &k : stops) {
    fitted.stops.push_back({double(k.position) * 100, k.value[0], k.value[1], k.value[2]});
  }
  fitted.color_error = color_error;

  const auto [handles, alpha_error] =
      FitKnots(Fitter<AlphaChannel>(source, samples, breaks), tolerance, max);
  for (const auto &k : handles) {
    fitted.handles.push_back({double(k.position) * 100, double(k.value) * 100});
  }
  fitted.alpha_error = alpha_error;
  return fitted;
}

}  // namespace huewarp::tool
