#include "tools/gradients/gradient_fit.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <tuple>

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
/// More than the effect's float mixing and the parameters' float values move a sample.
constexpr double kRounding = 1e-6;
/// A jump up to this many tolerances can be crossed by a steep run that passes it half-way.
constexpr double kCrossable = 1.9;

float Unit(double v) { return NearestFloat(std::clamp(v, 0.0, 1.0)); }

/// What one kind of knot fits: the colour (three channels, mixed by the effect as squares) or
/// alpha (one channel, mixed plainly).
struct Kind {
  int channels;
  bool squared;
  /// Channel `i` of a source colour as the parameter would hold it.
  float Target(const Rgba &c, int i) const {
    return Unit(!squared ? c.alpha : i == 0 ? c.red : i == 1 ? c.green : c.blue);
  }
  bool Differ(const Rgba &a, const Rgba &b, double jump) const {
    for (int i = 0; i < channels; ++i) {
      if (std::abs(double(Target(a, i)) - double(Target(b, i))) > jump) return true;
    }
    return false;
  }
};
constexpr Kind kColor{3, true}, kAlpha{1, false};

/// A stop or handle as its parameters hold it: values 0..1, colours not squared.
struct Knot {
  float position;
  std::array<float, 3> value;
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

class Fitter {
 public:
  Fitter(const Kind &kind, const SourceGradient &source, const Samples &samples,
         const std::vector<double> &breaks)
      : kind_(kind), source_(source), samples_(samples), breaks_(breaks) {}

  /// The knots in slot order and their largest error, or nothing when more than `max` are
  /// needed at this tolerance; differences across a break up to `jump` are not kept as edges.
  std::optional<std::pair<std::vector<Knot>, double>> Fit(double tolerance, double jump,
                                                          std::size_t max) const {
    std::vector<double> ends;
    for (const double b : breaks_) {
      if (kind_.Differ(ColorBefore(source_, b), ColorAt(source_, b), jump)) ends.push_back(b);
    }
    // Knots are chosen within a slightly narrower band, so that rounding to float parameters
    // and the effect's float mixing keep them within the tolerance.
    const double inner = tolerance - kRounding;
    std::vector<Knot> knots;
    if (ends.empty()) {
      if (const std::optional<Knot> one = Constant(inner)) knots.push_back(*one);
    }
    if (knots.empty()) {
      // Pieces between edges, each fitted on its own; the two knots of an edge share its
      // position, the left one first, and the effect's stable sort keeps them so.
      std::size_t from = 0;
      for (const double e : ends) {
        const std::size_t to = FirstAt(static_cast<float>(e));
        Piece(knots, from, to, static_cast<float>(e), inner);
        from = to;
        if (knots.size() > max) return std::nullopt;
      }
      Piece(knots, from, samples_.t.size(), std::nullopt, inner);
    }
    auto [error, worst] = Errors(knots);
    // Should rounding still take a sample past the bound, it becomes a knot of its own.
    while (error > tolerance && error < tolerance + kRounding && knots.size() < max) {
      const float t = samples_.t[worst];
      auto at = std::lower_bound(knots.begin(), knots.end(), t,
                                 [](const Knot &k, float p) { return k.position < p; });
      if (at != knots.end() && at->position == t) break;
      knots.insert(at, Centre(worst));
      std::tie(error, worst) = Errors(knots);
    }
    if (error > tolerance || knots.size() > max) return std::nullopt;
    return std::pair{std::move(knots), error};
  }

  /// The jump above which at most `keep` edges remain (the biggest are kept when not all can
  /// be); 1 when the source has no edges at all.
  double Keeping(std::size_t keep) const {
    std::vector<double> jumps;
    for (const double b : breaks_) {
      const Rgba l = ColorBefore(source_, b), r = ColorAt(source_, b);
      double jump = 0;
      for (int ch = 0; ch < kind_.channels; ++ch) {
        jump = std::max(jump, std::abs(double(kind_.Target(l, ch)) - kind_.Target(r, ch)));
      }
      if (jump > kNoJump) jumps.push_back(jump);
    }
    if (jumps.size() <= keep) return jumps.empty() ? 1.0 : kNoJump;
    std::nth_element(jumps.begin(), jumps.begin() + keep, jumps.end(), std::greater<>());
    return jumps[keep];
  }

 private:
  /// The value the effect mixes for parameter value `v`.
  double Mixed(float v) const { return kind_.squared ? double(v) * v : v; }
  float Parameter(double mixed) const {
    return Unit(kind_.squared ? std::sqrt(std::max(mixed, 0.0)) : mixed);
  }
  /// The knot with the source's own colour at sample `i`.
  Knot Centre(std::size_t i) const { return At(samples_.t[i], samples_.source[i]); }
  Knot At(float t, const Rgba &c) const {
    Knot k{t, {}};
    for (int ch = 0; ch < kind_.channels; ++ch) k.value[ch] = kind_.Target(c, ch);
    return k;
  }
  std::size_t FirstAt(float t) const {
    return std::lower_bound(samples_.t.begin(), samples_.t.end(), t) - samples_.t.begin();
  }
  /// The band of mixed values within `tolerance` of channel `ch` of `c`.
  std::pair<double, double> Band(const Rgba &c, int ch, double tolerance) const {
    const double v = kind_.Target(c, ch);
    return {Mixed(Unit(v - tolerance)), Mixed(Unit(v + tolerance))};
  }

  /// One knot whose value is within the tolerance everywhere, when the source allows it.
  std::optional<Knot> Constant(double tolerance) const {
    Knot k{samples_.t.front(), {}};
    for (int ch = 0; ch < kind_.channels; ++ch) {
      double low = 0, high = 1;
      for (const Rgba &c : samples_.source) {
        const auto [lo, hi] = Band(c, ch, tolerance);
        low = std::max(low, lo);
        high = std::min(high, hi);
      }
      if (low > high) return std::nullopt;
      k.value[ch] =
          Parameter(std::clamp(Mixed(kind_.Target(samples_.source.front(), ch)), low, high));
    }
    return k;
  }

  /// Knots for samples [from, to), ending at `end` with the colour just below it when the piece
  /// stops at an edge. Each knot reaches as far as some straight run of mixed values stays
  /// within the band of every sample on the way (the slopes allowed narrow sample by sample).
  /// Of the values the slopes allow there, and of the source's own value as far as a run to it
  /// goes, it takes the one from which the next knot reaches furthest, preferring the source's
  /// own value at the furthest point (so that a source the effect can show exactly is kept
  /// exactly), then the middle.
  void Piece(std::vector<Knot> &knots, std::size_t from, std::size_t to, std::optional<float> end,
             double tolerance) const {
    const std::size_t count = to - from + (end ? 1 : 0);
    auto t = [&](std::size_t i) { return i < to - from ? samples_.t[from + i] : *end; };
    auto colour = [&](std::size_t i) {
      return i < to - from ? samples_.source[from + i] : ColorBefore(source_, *end);
    };
    using Values = std::array<double, 3>;
    struct Run {
      std::size_t reach;
      Values low, high;       ///< The mixed values allowed at `reach`.
      std::size_t own_reach;  ///< The furthest sample whose own value is allowed.
    };
    // The furthest sample a straight run from `value` at sample `at` reaches.
    auto scan = [&](std::size_t at, const Knot &start) {
      Values base{}, low{}, high{};
      for (int ch = 0; ch < kind_.channels; ++ch) {
        base[ch] = Mixed(start.value[ch]);
        low[ch] = -std::numeric_limits<double>::infinity();
        high[ch] = std::numeric_limits<double>::infinity();
      }
      Run run{at, base, base, at};
      for (std::size_t i = at + 1; i < count; ++i) {
        const double dt = double(t(i)) - double(t(at));
        const Rgba c = colour(i);
        bool open = true;
        for (int ch = 0; ch < kind_.channels && open; ++ch) {
          const auto [lo, hi] = Band(c, ch, tolerance);
          low[ch] = std::max(low[ch], (lo - base[ch]) / dt);
          high[ch] = std::min(high[ch], (hi - base[ch]) / dt);
          open = low[ch] <= high[ch];
        }
        if (!open) break;
        run.reach = i;
        bool own = true;
        for (int ch = 0; ch < kind_.channels; ++ch) {
          run.low[ch] = base[ch] + low[ch] * dt;
          run.high[ch] = base[ch] + high[ch] * dt;
          const double mine = Mixed(kind_.Target(c, ch));
          own = own && run.low[ch] <= mine && mine <= run.high[ch];
        }
        if (own) run.own_reach = i;
      }
      return run;
    };
    if (count == 0) return;
    knots.push_back(At(t(0), colour(0)));
    std::size_t at = 0;
    Run run = scan(at, knots.back());
    while (at + 1 < count) {
      if (run.reach == at) {
        // Not even the next sample is in reach (a jump kept inside the piece): step onto it.
        knots.push_back(At(t(at + 1), colour(at + 1)));
        run = scan(++at, knots.back());
        continue;
      }
      const Rgba target = colour(run.reach);
      auto candidate = [&](double share, bool own) {
        Knot k{t(run.reach), {}};
        for (int ch = 0; ch < kind_.channels; ++ch) {
          const double lo = run.low[ch], hi = run.high[ch];
          const double mine = Mixed(kind_.Target(target, ch));
          k.value[ch] = Parameter(own && lo <= mine && mine <= hi ? mine : lo + (hi - lo) * share);
        }
        return k;
      };
      Knot best = candidate(0.5, true);
      std::size_t best_at = run.reach;
      Run next = scan(run.reach, best);
      auto consider = [&](std::size_t i, const Knot &k) {
        const Run further = scan(i, k);
        if (further.reach > next.reach) std::tie(best, best_at, next) = std::tuple{k, i, further};
      };
      if (next.reach + 1 < count) {
        for (const double share : {0.5, 0.25, 0.75, 0.0, 1.0})
          consider(run.reach, candidate(share, false));
        // Or a knot on the source itself, as far as a run to it goes.
        if (run.own_reach > at)
          consider(run.own_reach, At(t(run.own_reach), colour(run.own_reach)));
      }
      knots.push_back(best);
      at = best_at;
      run = next;
    }
  }

  /// The largest error over all samples with the effect's whole ramp, and where it is.
  std::pair<double, std::size_t> Errors(const std::vector<Knot> &knots) const {
    std::pair<double, std::size_t> worst{0, 0};
    auto note = [&](double e, std::size_t i) {
      if (e > worst.first) worst = {e, i};
    };
    if (kind_.squared) {
      std::vector<ColorStop> stops;
      for (const Knot &k : knots) {
        const auto &v = k.value;
        stops.push_back({k.position, v[0] * v[0], v[1] * v[1], v[2] * v[2]});
      }
      const ColorRamp ramp(stops, false, false, 1.0f);
      for (std::size_t i = 0; i < samples_.t.size(); ++i) {
        const Rgb c = SampleColor(ramp, samples_.t[i], 1.0f);
        const Rgba &s = samples_.source[i];
        note(std::max({std::abs(double(c.red) - kind_.Target(s, 0)),
                       std::abs(double(c.green) - kind_.Target(s, 1)),
                       std::abs(double(c.blue) - kind_.Target(s, 2))}),
             i);
      }
    } else {
      std::vector<AlphaHandle> handles;
      for (const Knot &k : knots) handles.push_back({k.position, k.value[0]});
      const AlphaRamp ramp(handles, false, false, 1.0f);
      for (std::size_t i = 0; i < samples_.t.size(); ++i) {
        note(std::abs(double(SampleAlpha(ramp, samples_.t[i], 1.0f)) -
                      kind_.Target(samples_.source[i], 0)),
             i);
      }
    }
    return worst;
  }

  const Kind &kind_;
  const SourceGradient &source_;
  const Samples &samples_;
  const std::vector<double> &breaks_;
};

/// Fits one kind of knot: at the tolerance if `max` knots suffice, else at the smallest wider
/// tolerance found that they do. Jumps too big to cross within a tolerance stay hard edges;
/// smaller ones are crossed first, then, with too few knots, every one.
std::pair<std::vector<Knot>, double> FitKnots(const Fitter &fitter, double tolerance,
                                              std::size_t max) {
  // Each kept edge takes two knots, and its sides at least one more between them.
  const double few = fitter.Keeping(max / 3);
  auto at = [&](double bound) {
    auto fit = fitter.Fit(bound, kNoJump, max);
    if (!fit) fit = fitter.Fit(bound, kCrossable * bound, max);
    if (!fit && few < 1) fit = fitter.Fit(bound, std::max(few, kCrossable * bound), max);
    if (!fit && few < 1) fit = fitter.Fit(bound, 1.0, max);
    return fit;
  };
  if (auto fit = at(tolerance)) return *fit;
  double low = tolerance, high = 1.0;
  auto best = fitter.Fit(high, high, max);
  // Sixteen halvings find the bound within a hundredth of an 8-bit step.
  for (int i = 0; i < 16; ++i) {
    const double mid = (low + high) / 2;
    if (auto fit = at(mid)) {
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
  FittedGradient fitted;
  for (const double b : Breaks(source)) {
    const Rgba l = ColorBefore(source, b), r = ColorAt(source, b);
    fitted.wide_jumps += Distance(l, r) >= 2 * tolerance - kRounding;
  }
  // Inside the bound by what the source and the fit can move between two samples, so that
  // points between the samples stay within it too.
  tolerance = std::max(tolerance - 2 * kSampleStep, tolerance / 2);
  const std::vector<double> breaks = Breaks(source);
  const Samples samples = SampleSource(source, breaks);
  const std::size_t max = static_cast<std::size_t>(std::max(max_stops, 2));

  const auto [stops, color_error] =
      FitKnots(Fitter(kColor, source, samples, breaks), tolerance, max);
  for (const Knot &k : stops) {
    fitted.stops.push_back({double(k.position) * 100, k.value[0], k.value[1], k.value[2]});
  }
  fitted.color_error = color_error;

  const auto [handles, alpha_error] =
      FitKnots(Fitter(kAlpha, source, samples, breaks), tolerance, max);
  for (const Knot &k : handles) {
    fitted.handles.push_back({double(k.position) * 100, double(k.value[0]) * 100});
  }
  fitted.alpha_error = alpha_error;
  return fitted;
}

std::string FitSummary(const std::string &name, const FittedGradient &fit, double tolerance_steps) {
  const double largest = std::max(fit.color_error, fit.alpha_error) * 255;
  auto count = [](std::size_t n, const char *what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  const std::string made =
      count(fit.stops.size(), "colour stop") + " and " + count(fit.handles.size(), "alpha handle");
  char error[32];
  std::snprintf(error, sizeof error, "%.2f/255", largest);
  if (largest <= tolerance_steps) return name + ": " + made + ", largest error " + error;
  char bound[32];
  std::snprintf(bound, sizeof bound, "%.2f/255", tolerance_steps);
  std::string why;
  if (2 * fit.wide_jumps > 100) {
    char jump[32];
    std::snprintf(jump, sizeof jump, "%.2f/255", 2 * tolerance_steps);
    why = " (its " + std::to_string(fit.wide_jumps) + " jumps of " + jump +
          " or more need two stops each)";
  }
  return "warning: " + name + " needs more stops than the effect holds to stay within " + bound +
         why + "; the closest fit, " + made + ", is off by up to " + error;
}

}  // namespace huewarp::tool
