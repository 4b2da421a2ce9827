#include "core/fast_path.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/gradient.h"
#include "core/mapping_kernel.h"
#include "core/pixel_mapping.h"

namespace huewarp {

namespace {

using kernel::Depth16;
using kernel::Depth8;
using kernel::DepthFloat;
using kernel::ListIndex;
using kernel::Looked;
using kernel::RampIndex;
using kernel::SoftwareFma;

template <class T>
std::unique_ptr<T[]> Allocate(std::size_t count) {
  return std::unique_ptr<T[]>(new T[count]);
}

struct RangeReads {
  std::uint16_t range;
  Reads reads;
};

// Cyan, magenta and yellow are (1 - channel - K) / M with M the largest channel; Max CMYK is that
// of the smallest channel, and Min CMYK that of the largest, which is 0 within 0..1.
constexpr RangeReads kRangeReads[] = {
    {kInputIntensity, Reads::kAll},       {kInputHue, Reads::kAll},
    {kInputSaturation, Reads::kAll},      {kInputRed, Reads::kRed},
    {kInputGreen, Reads::kGreen},         {kInputBlue, Reads::kBlue},
    {kInputAlpha, Reads::kAlpha},         {kInputCyan, Reads::kRedAndMax},
    {kInputMagenta, Reads::kGreenAndMax}, {kInputYellow, Reads::kBlueAndMax},
    {kInputBlack, Reads::kMax},           {kInputMinRgb, Reads::kMin},
    {kInputMaxRgb, Reads::kMax},          {kInputMinCmyk, Reads::kNothing},
    {kInputMaxCmyk, Reads::kMinAndMax},
};

/// The reads a table is keyed by; kAll has none.
using TableReads =
    std::integer_sequence<Reads, Reads::kNothing, Reads::kAlpha, Reads::kRed, Reads::kGreen,
                          Reads::kBlue, Reads::kMin, Reads::kMax, Reads::kRedAndMax,
                          Reads::kGreenAndMax, Reads::kBlueAndMax, Reads::kMinAndMax>;

bool IsPair(Reads reads) { return reads >= Reads::kRedAndMax && reads <= Reads::kMinAndMax; }

/// Entries of the table for `reads` at a depth of `levels`; 0 where none is kept (pairs of 16-bit
/// levels would take 4 GiB).
std::size_t TableEntries(Reads reads, std::size_t levels) {
  if (reads == Reads::kNothing) return 1;
  if (reads == Reads::kAll) return 0;
  if (IsPair(reads)) return levels == Depth8::kLevels ? levels * levels : 0;
  return levels;
}

// Scaling by a positive factor keeps order, so the float of the smallest level is the smallest
// float: min and max can be taken on the integers. A pair is keyed channel * 256 + max.
template <Reads kReads, class Pixel>
HUEWARP_ALWAYS_INLINE unsigned KeyOf(const Pixel &p) {
  const auto lo = [&] { return std::min<unsigned>(std::min<unsigned>(p.red, p.green), p.blue); };
  const auto hi = [&] { return std::max<unsigned>(std::max<unsigned>(p.red, p.green), p.blue); };
  if constexpr (kReads == Reads::kAlpha) return p.alpha;
  if constexpr (kReads == Reads::kRed) return p.red;
  if constexpr (kReads == Reads::kGreen) return p.green;
  if constexpr (kReads == Reads::kBlue) return p.blue;
  if constexpr (kReads == Reads::kMin) return lo();
  if constexpr (kReads == Reads::kMax) return hi();
  if constexpr (kReads == Reads::kRedAndMax) return p.red << 8 | hi();
  if constexpr (kReads == Reads::kGreenAndMax) return p.green << 8 | hi();
  if constexpr (kReads == Reads::kBlueAndMax) return p.blue << 8 | hi();
  if constexpr (kReads == Reads::kMinAndMax) return lo() << 8 | hi();
  return 0;
}

/// A pixel whose key is `key`, as the levels it reads; false for a pair no pixel has (a channel
/// above the maximum).
bool Representative(Reads reads, std::size_t key, PF_PixelFloat &levels) {
  const auto l = static_cast<float>(key);
  if (!IsPair(reads)) {
    levels = {l, l, l, l};  // a grey: every one-level range reads its level
    return true;
  }
  const auto c = static_cast<float>(key >> 8), m = static_cast<float>(key & 0xFF);
  switch (reads) {
    case Reads::kRedAndMax:
      levels = {m, c, m, 0};
      break;
    case Reads::kGreenAndMax:
      levels = {m, m, c, 0};
      break;
    case Reads::kBlueAndMax:
      levels = {m, m, 0, c};
      break;
    default:
      levels = {m, c, m, c};
      break;
  }
  return c <= m;
}

/// Which monotone piece of GradientPosition the value v falls in: over values of one piece the
/// position is monotone (the offset is one rounded addition, the folds are exact steps per
/// unit). Nothing where that cannot be said cheaply (huge or infinite values).
std::optional<std::int64_t> PositionPiece(const PreRenderData &data, float v) {
  constexpr float kExact = 16777216.0f;  // 2^24: below it the whole part is exact
  switch (data.valuesOver1) {
    case kValuesOver1Wrap: {
      const float u = v + data.offsetWrapped;
      if (!(u < kExact)) return std::nullopt;
      return u > 1.0f ? static_cast<std::int64_t>(u) : 0;
    }
    case kValuesOver1Bounce: {
      const float u = v + data.offsetTurns;
      const float a = std::fabs(u);
      if (!(a < kExact)) return std::nullopt;
      const auto whole = static_cast<std::int64_t>(a);
      return u < 0.0f ? -1 - whole : whole;  // each unit up or down, mirrored below 0
    }
    default:
      return 0;  // an addition, a clamp and the flip: monotone everywhere
  }
}

/// The same for Cycled: below 1 the product itself, above it one fraction per unit.
std::optional<std::int64_t> CyclePiece(float t, float cycleScale) {
  if (cycleScale == 1.0f) return 0;
  const float x = t * cycleScale;
  if (!(x > 1.0f)) return 0;
  if (!(x < 16777216.0f)) return std::nullopt;
  return static_cast<std::int64_t>(x);
}

/// One traced bound of the buckets: the pieces and brackets the reference went through for one
/// input value, and for each colour channel (and the output alpha of an opaque input pixel) the
/// levels at the two ends of the band around the value it computed that ConstantBetween allows.
struct ValueTrace {
  std::int64_t position = 0, cycle = 0;
  bool pieces = false;  // both pieces are known
  bool interpolated = false, alphaInterpolated = false;
  bool finite = true, alphaFinite = true;  // every end of every band is a finite float
  float t = 0, x = 0;                      // the position, and the cycled position
  const ColorStop *lower = nullptr;
  const AlphaHandle *alphaLower = nullptr;
  A_u_char low[3] = {}, high[3] = {};
  A_u_char alphaLow = 0, alphaHigh = 0;
  float squared[3] = {}, alpha = 0;  // what the reference computed, to place the cuts
};

/// The band of one computed value: the value itself where it is an entry's own, else the value
/// widened by twice the interpolation's bound, so that rounding the ends to float cannot move them
/// inwards.
HUEWARP_ALWAYS_INLINE void Band(float value, bool interpolated, float lowerEnd, float upperEnd,
                                float &low, float &high) {
  low = high = value;
  if (interpolated) {
    const double slack = 0x1p-20 * (std::fabs(static_cast<double>(lowerEnd)) +
                                    std::fabs(static_cast<double>(upperEnd))) +
                         0x1p-126;
    low = static_cast<float>(value - slack);
    high = static_cast<float>(value + slack);
  }
}

/// kernel::Find, trying first the bracket of the previous search (`hint`, null for none), which
/// nearby values mostly share: the bracket of x is the entry at or below x whose successor lies
/// above x, so where the hint is that, it is what Find gives.
template <class Entry>
HUEWARP_ALWAYS_INLINE kernel::Bracket<Entry> FindNear(const std::vector<Entry> &entries, float x,
                                                      const ListIndex *index, const Entry *&hint) {
  if (hint && hint->position <= x && x < hint[1].position && x > entries.front().position) {
    return {hint, hint + 1, (x - hint->position) / (hint[1].position - hint->position)};
  }
  const kernel::Bracket<Entry> at = kernel::Find(entries, x, index);
  hint = at.upper ? at.lower : nullptr;
  return at;
}

/// Hints of FindNear for the two lists a trace searches.
struct Hints {
  const ColorStop *color = nullptr;
  const AlphaHandle *alpha = nullptr;
};

template <class Ops>
HUEWARP_ALWAYS_INLINE ValueTrace TraceOf(const PreRenderData &data, float v, RampIndex colors,
                                         RampIndex alphas, Hints &hints) {
  ValueTrace trace;
  const std::optional<std::int64_t> position = PositionPiece(data, v);
  trace.t = kernel::GradientPosition<true>(data, v);
  const std::optional<std::int64_t> cycle = CyclePiece(trace.t, data.cycleScale);
  trace.pieces = position && cycle;
  if (trace.pieces) {
    trace.position = *position;
    trace.cycle = *cycle;
  }
  trace.x = kernel::Cycled<true>(trace.t, data.cycleScale);
  float low, high;
  if (!data.alphaRamp->opaque) {
    const auto at = FindNear(data.alphaRamp->primary, trace.x, alphas.primary, hints.alpha);
    trace.alphaLower = at.lower;
    trace.alphaInterpolated = at.upper != nullptr;
    const float lowerEnd = at.lower->alpha, upperEnd = at.upper ? at.upper->alpha : 0.0f;
    trace.alpha = at.upper ? kernel::Interpolate<Ops>(at.f, lowerEnd, upperEnd) : lowerEnd;
    Band(trace.alpha, at.upper, lowerEnd, upperEnd, low, high);
    const float full = 255.0f * Depth8::kFactor;  // the input alpha 255 as the reference reads it
    trace.alphaFinite = std::isfinite(low) && std::isfinite(high);
    trace.alphaLow = kernel::Quantized<A_u_char, 255>(low * full);
    trace.alphaHigh = kernel::Quantized<A_u_char, 255>(high * full);
  }
  const std::vector<ColorStop> &stops = data.colorRamp->primary;
  if (stops.empty()) return trace;
  const auto at = FindNear(stops, trace.x, colors.primary, hints.color);
  trace.lower = at.lower;
  trace.interpolated = at.upper != nullptr;
  const float ColorStop::*channels[] = {&ColorStop::red, &ColorStop::green, &ColorStop::blue};
  for (int k = 0; k < 3; ++k) {
    const float lowerEnd = at.lower->*channels[k];
    const float upperEnd = at.upper ? at.upper->*channels[k] : 0.0f;
    trace.squared[k] = at.upper ? kernel::Interpolate<Ops>(at.f, lowerEnd, upperEnd) : lowerEnd;
    Band(trace.squared[k], at.upper, lowerEnd, upperEnd, low, high);
    trace.finite = trace.finite && std::isfinite(low) && std::isfinite(high);
    trace.low[k] = kernel::Quantized<A_u_char, 255>(std::sqrt(low));
    trace.high[k] = kernel::Quantized<A_u_char, 255>(std::sqrt(high));
  }
  return trace;
}

/// Whether every input value between the two traced ones gives one output colour at 8 bits, and
/// which (alpha 0). Proven, not sampled: over one piece of the position and of the cycle, and one
/// bracket of the gradient, the position and the fraction are monotone, and each interpolated
/// square lies within 3 * 2^-24 * (|L| + |U|) of the straight line between the stops; so between
/// the ends it lies within twice that (2^-21 * (|L| + |U|)) of the two end values the reference
/// computes, and the rounding to a level, monotone, gives one level for the whole interval.
/// Rounding a band's end to float and the level of its square root are monotone as well, so over
/// both ends the band's lower end has the smaller of the two ends' own lower levels and its upper
/// end the larger of their upper ones (and is finite where all four ends are): each trace rounds
/// its own band once, and the interval has one level where all four levels are that one.
HUEWARP_ALWAYS_INLINE bool ConstantBetween(const PreRenderData &data, const ValueTrace &a,
                                           const ValueTrace &b, PF_Pixel8 &out) {
  if (!a.pieces || !b.pieces || a.position != b.position || a.cycle != b.cycle) return false;
  const double tLow = std::min(a.t, b.t), tHigh = std::max(a.t, b.t);
  // The smooth-wrap blends and the second list belong to the two ends of the gradient.
  if (data.colorRamp->edgeBlend && (tLow < 0.02 || tHigh > 0.98)) return false;
  if (a.lower != b.lower || a.interpolated != b.interpolated) return false;
  out = {0, 0, 0, 0};
  if (!a.lower) return true;  // no stops: black
  if (!a.finite || !b.finite) return false;
  for (int k = 0; k < 3; ++k) {
    if ((a.low[k] ^ a.high[k]) | (a.low[k] ^ b.low[k]) | (a.low[k] ^ b.high[k])) return false;
  }
  out = {0, a.low[0], a.low[1], a.low[2]};
  return true;
}

/// The same for the output alpha of an opaque input pixel, where that is the looked-up alpha
/// rounded to a level (no square root, and the smooth-wrap blend of alphas lies below x = 0.02);
/// only for an interval whose colour is proven constant.
HUEWARP_ALWAYS_INLINE bool FullAlphaBetween(const PreRenderData &data, const ValueTrace &a,
                                            const ValueTrace &b, std::uint16_t &level) {
  if (data.alphaRamp->edgeBlend && static_cast<double>(std::min(a.x, b.x)) < 0.02) return false;
  if (a.alphaLower != b.alphaLower || a.alphaInterpolated != b.alphaInterpolated) return false;
  if (!a.alphaFinite || !b.alphaFinite) return false;
  level = a.alphaLow;
  return a.alphaHigh == level && b.alphaLow == level && b.alphaHigh == level;
}

/// The colour of each bucket of input values, alpha 1 where it is not proven constant. Bucket b
/// holds [b / buckets, (b + 1) / buckets) and is proven over [b / buckets, (b + 1) / buckets];
/// the last one holds 1 itself. A run of buckets is proven whole over its two bounds, which is
/// what makes building cheap: tracing a bound costs about what sampling a pixel does, and most
/// runs between two level changes of a smooth gradient are proven in one step. Where a run is
/// not, it is cut where its two ends place the level changes (the computed values are nearly
/// straight in the input value within one bracket), else in halves, down to single buckets; the
/// cuts only choose what to prove, every claim is still ConstantBetween's.
/// With a varying alpha ramp, `fullAlpha` gets the output alpha of opaque input pixels per bucket,
/// or 256 where it is not proven.
template <class Ops>
class BucketFiller {
 public:
  BucketFiller(const PreRenderData &data, std::uint32_t buckets, RampIndex colors, RampIndex alphas,
               PF_Pixel8 *rgb, std::uint16_t *fullAlpha)
      : data_(data),
        scale_(static_cast<float>(buckets)),
        colors_(colors),
        alphas_(alphas),
        rgb_(rgb),
        fullAlpha_(fullAlpha) {}

  HUEWARP_ALWAYS_INLINE ValueTrace Trace(std::uint32_t bound) {
    return TraceOf<Ops>(data_, static_cast<float>(bound) / scale_, colors_, alphas_, hints_);
  }

  /// Buckets [first, end) between the traced bounds `low` and `high`: from the low end, each run
  /// up to the next level change whole, and the bucket of the change alone.
  void Prove(std::uint32_t first, std::uint32_t end, ValueTrace low, const ValueTrace &high) {
    while (!Fill(first, end, low, high)) {
      const std::optional<std::uint32_t> cut = FirstCut(first, end, low, high);
      if (!cut) {
        const std::uint32_t middle = first + (end - first) / 2;
        const ValueTrace trace = Trace(middle);
        Prove(first, middle, low, trace);
        first = middle;
        low = trace;
        continue;
      }
      if (*cut > first) {
        const ValueTrace trace = Trace(*cut);
        Prove(first, *cut, low, trace);
        first = *cut;
        low = trace;
      }
      if (first + 1 == end) {
        Fill(first, end, low, high);
        return;
      }
      const ValueTrace next = Trace(first + 1);
      Fill(first, first + 1, low, next);
      first += 1;
      low = next;
    }
  }

 private:
  /// Fills buckets [first, end) where they are proven constant whole, or a single one either way.
  bool Fill(std::uint32_t first, std::uint32_t end, const ValueTrace &low, const ValueTrace &high) {
    PF_Pixel8 colour;
    std::uint16_t alpha = 0;
    const bool constant = ConstantBetween(data_, low, high, colour);
    if (constant && (!fullAlpha_ || FullAlphaBetween(data_, low, high, alpha))) {
      std::fill(rgb_ + first, rgb_ + end, colour);
      if (fullAlpha_) std::fill(fullAlpha_ + first, fullAlpha_ + end, alpha);
      return true;
    }
    if (end - first > 1) return false;
    rgb_[first] = constant ? colour : PF_Pixel8{1, 0, 0, 0};
    if (fullAlpha_) fullAlpha_[first] = 256;
    return true;
  }

  /// The bucket of the first change from the low end of a run whose ends lie in one piece of the
  /// position and of the cycle: the first entry of the gradient passed where the ends' brackets
  /// differ, else the first rounding threshold passed by a value computed at the ends, taken as
  /// straight between them (it nearly is, in one bracket). Nothing where the pieces differ.
  std::optional<std::uint32_t> FirstCut(std::uint32_t first, std::uint32_t end, const ValueTrace &a,
                                        const ValueTrace &b) const {
    if (!a.pieces || !b.pieces || a.position != b.position || a.cycle != b.cycle) {
      return std::nullopt;
    }
    double nearest = 2;  // as a fraction of the run
    const auto at = [&](double from, double to, double threshold) {
      if (to != from) nearest = std::min(nearest, (threshold - from) / (to - from));
    };
    // Going up, the next entry's position is passed first; going down, the bracket's own.
    const auto entry = [&](const auto *lowerA, const auto *lowerB) {
      at(a.x, b.x, (lowerA < lowerB ? lowerA + 1 : lowerA)->position);
    };
    const bool sameColour = a.lower == b.lower && a.interpolated == b.interpolated;
    const bool sameAlpha =
        !fullAlpha_ || (a.alphaLower == b.alphaLower && a.alphaInterpolated == b.alphaInterpolated);
    if (!sameColour && a.lower && b.lower) entry(a.lower, b.lower);
    if (!sameAlpha) entry(a.alphaLower, b.alphaLower);
    if (sameColour && sameAlpha) {
      // Level L begins at (L - 1/2) / 255 after the square root for a colour, and at
      // (L - 1/2) / 255 for the alpha; going up the next level's is passed first, going down the
      // current one's.
      for (int k = 0; k < 3 && a.lower && a.interpolated; ++k) {
        const bool up = b.squared[k] > a.squared[k];
        const double root =
            ((up ? std::min(a.low[k], b.low[k]) + 1 : std::max(a.high[k], b.high[k])) - 0.5) /
            255.0;
        at(a.squared[k], b.squared[k], root * root);
      }
      if (fullAlpha_ && a.alphaInterpolated) {
        const bool up = b.alpha > a.alpha;
        const int level =
            up ? std::min(a.alphaLow, b.alphaLow) + 1 : std::max(a.alphaHigh, b.alphaHigh);
        at(a.alpha, b.alpha, (level - 0.5) / 255.0 / (255.0f * Depth8::kFactor));
      }
    }
    if (!(nearest < 1)) return std::nullopt;
    const double bucket = std::floor(nearest * (end - first));
    return first + static_cast<std::uint32_t>(bucket > 0 ? bucket : 0.0);
  }

  const PreRenderData &data_;
  float scale_;
  RampIndex colors_, alphas_;
  Hints hints_;
  PF_Pixel8 *rgb_;
  std::uint16_t *fullAlpha_;
};

template <class Ops>
HUEWARP_ALWAYS_INLINE void FillBuckets(const PreRenderData &data, std::uint32_t buckets,
                                       RampIndex colors, RampIndex alphas, PF_Pixel8 *rgb,
                                       std::uint16_t *fullAlpha) {
  constexpr std::uint32_t kGroup = 256;  // the fewest buckets are 2^12
  BucketFiller<Ops> filler(data, buckets, colors, alphas, rgb, fullAlpha);
  ValueTrace low = filler.Trace(0);
  for (std::uint32_t g = 0; g < buckets; g += kGroup) {
    const ValueTrace high = filler.Trace(g + kGroup);
    filler.Prove(g, g + kGroup, low, high);
    low = high;
  }
  filler.Prove(buckets, buckets + 1, low, low);
}

void FillBucketsSoftware(const PreRenderData &data, std::uint32_t buckets, RampIndex colors,
                         RampIndex alphas, PF_Pixel8 *rgb, std::uint16_t *fullAlpha) {
  FillBuckets<SoftwareFma>(data, buckets, colors, alphas, rgb, fullAlpha);
}

#if defined(HUEWARP_HAS_FMA_TARGET)
__attribute__((target("fma"))) void FillBucketsHardware(const PreRenderData &data,
                                                        std::uint32_t buckets, RampIndex colors,
                                                        RampIndex alphas, PF_Pixel8 *rgb,
                                                        std::uint16_t *fullAlpha) {
  FillBuckets<kernel::HardwareFma>(data, buckets, colors, alphas, rgb, fullAlpha);
}
#endif

/// Buckets of input values for a gradient: about 32 per change of output level it makes between
/// 0 and 1, so that most buckets hold one colour, from 2^12 to 2^18 (1 MiB; fewer leave a
/// 37-stop gradient cycled 2.37 times with 4 in 10 buckets unproven, each a pixel sampled whole).
std::uint32_t ValueBucketsFor(const PreRenderData &data) {
  const std::vector<ColorStop> &stops = data.colorRamp->primary;
  double changes = 1;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    const float ColorStop::*channels[] = {&ColorStop::red, &ColorStop::green, &ColorStop::blue};
    for (const auto channel : channels) {
      changes += std::fabs(std::sqrt(std::fabs(stops[i].*channel)) -
                           std::sqrt(std::fabs(stops[i - 1].*channel))) *
                 255.0;
    }
  }
  changes *= std::max(1.0, std::fabs(static_cast<double>(data.cycleScale)));
  std::uint32_t buckets = 1u << 12;
  while (buckets < (1u << 18) && buckets < 32.0 * changes) buckets *= 2;
  return buckets;
}

/// The lookup per key of one depth. For kTableOutput the finished output channels; for
/// kTableLooked the looked-up colour and alpha, finished per pixel.
template <class Depth>
struct Table {
  using Channel = typename Depth::Channel;
  using Pixel = decltype(Depth::Out(PF_PixelFloat{}));
  std::size_t entries = 0;
  bool alphaKept = false;                // output, opaque: each alpha is written back as it came
  std::unique_ptr<Pixel[]> rgb;          // output: the colour, alpha 0
  std::unique_ptr<Channel[]> alphaOut;   // output, opaque: per input alpha level, what is written
  std::unique_ptr<float[]> alphaLooked;  // output, other alpha ramps: per key
  std::unique_ptr<Looked[]> looked;      // looked
  std::unique_ptr<std::uint16_t[]> fullAlpha;  // buckets, other alpha ramps: of input alpha 255

  std::size_t Bytes() const {
    const std::size_t n = entries;
    return (rgb ? n * sizeof(Pixel) : 0) + (alphaOut ? Depth::kLevels * sizeof(Channel) : 0) +
           (alphaLooked ? n * sizeof(float) : 0) + (looked ? n * sizeof(Looked) : 0) +
           (fullAlpha ? n * sizeof(std::uint16_t) : 0);
  }

  // Each key is mapped exactly as its representative pixel: every pixel of that key has the same
  // input value.
  void Build(const PreRenderData &data, Reads reads, bool output, RampIndex colors,
             RampIndex alphas) {
    entries = TableEntries(reads, Depth::kLevels);
    const bool opaque = data.alphaRamp->opaque;
    if (output) {
      rgb = Allocate<Pixel>(entries);
      if (opaque) {
        alphaOut = Allocate<Channel>(Depth::kLevels);
      } else {
        alphaLooked = Allocate<float>(entries);
      }
    } else {
      looked = Allocate<Looked>(entries);
    }
    for (std::size_t key = 0; key < entries; ++key) {
      PF_PixelFloat p;
      if (!Representative(reads, key, p)) continue;  // no pixel reads it
      const PF_PixelFloat v{p.alpha * Depth::kFactor, p.red * Depth::kFactor,
                            p.green * Depth::kFactor, p.blue * Depth::kFactor};
      const float t =
          kernel::GradientPosition<true>(data, kernel::InputValue<SoftwareFma>(data.inputRange, v));
      const Looked l = kernel::LookUp<SoftwareFma, true>(data, t, colors, alphas);
      if (!output) {
        looked[key] = l;
        continue;
      }
      rgb[key] = Depth::Out({0.0f, l.color.red, l.color.green, l.color.blue});
      if (!opaque) alphaLooked[key] = l.alpha;
    }
    if (alphaOut) BuildAlphaOut();
  }

  void BuildAlphaOut() {
    alphaKept = true;
    for (std::size_t level = 0; level < Depth::kLevels; ++level) {
      alphaOut[level] =
          kernel::Quantized<Channel, Depth::kScale>(static_cast<float>(level) * Depth::kFactor);
      alphaKept &= alphaOut[level] == level;
    }
  }

  // One colour per bucket of input values, or alpha 1 where it is not proven constant.
  void BuildBuckets(const PreRenderData &data, std::uint32_t buckets, RampIndex colors,
                    RampIndex alphas, bool hardwareFma) {
    static_assert(std::is_same_v<Depth, Depth8>);
    entries = buckets + 1;
    rgb = Allocate<Pixel>(entries);
    if (data.alphaRamp->opaque) {
      alphaOut = Allocate<Channel>(Depth::kLevels);
      BuildAlphaOut();
    } else {
      fullAlpha = Allocate<std::uint16_t>(entries);
    }
#if defined(HUEWARP_HAS_FMA_TARGET)
    if (hardwareFma) {
      return FillBucketsHardware(data, buckets, colors, alphas, rgb.get(), fullAlpha.get());
    }
#endif
    (void)hardwareFma;
    FillBucketsSoftware(data, buckets, colors, alphas, rgb.get(), fullAlpha.get());
  }
};

/// The index of one sorted list, or nothing where it would not be exact or not help.
bool BuildIndex(const float *positions, std::size_t stride, std::size_t n, std::uint16_t *start,
                std::uint32_t buckets, ListIndex &index) {
  const auto position = [&](std::size_t i) { return positions[i * stride]; };
  if (n < 3) return false;
  const float first = position(0), last = position(n - 1);
  const float scale = static_cast<float>(buckets) / (last - first);
  if (!std::isfinite(first) || !std::isfinite(last) || !(last > first) || !std::isfinite(scale) ||
      !(scale > 0.0f)) {
    return false;
  }
  index = {first, scale, buckets - 1, start};
  // Bucket b starts at the last entry of an earlier bucket: such an entry lies below every value
  // of bucket b because Bucket is monotone.
  std::size_t i = 0, below = 0;
  for (std::uint32_t b = 0; b < buckets; ++b) {
    while (i < n && index.Bucket(position(i)) < b) below = i++;
    start[b] = static_cast<std::uint16_t>(below);
  }
  return true;
}

std::uint32_t BucketsFor(std::size_t n) {
  std::uint32_t buckets = 16;
  while (buckets < 4 * n) buckets *= 2;
  return buckets;
}

template <class Entry>
const float *Positions(const std::vector<Entry> &list) {
  return list.empty() ? nullptr : &list.front().position;
}

}  // namespace

struct FastPath {
  int bitdepth = 0;
  FastMode mode = FastMode::kReference;
  bool hardwareFma = false;
  Reads reads = Reads::kAll;
  float bucketScale = 0;  // kValueBuckets: buckets per unit of input value, a power of 2
  Table<Depth8> table8;
  Table<Depth16> table16;
  // Colour primary, colour secondary, alpha primary, alpha secondary.
  ListIndex lists[4] = {};
  bool listBuilt[4] = {};
  std::size_t indexEntries = 0;
  std::unique_ptr<std::uint16_t[]> indexStorage;
  RampIndex colorIndex;
  RampIndex alphaIndex;

  void BuildIndices(const PreRenderData &data) {
    const ColorRamp &c = *data.colorRamp;
    const AlphaRamp &a = *data.alphaRamp;
    constexpr std::size_t kColorStride = sizeof(ColorStop) / sizeof(float);
    constexpr std::size_t kAlphaStride = sizeof(AlphaHandle) / sizeof(float);
    static_assert(kColorStride * sizeof(float) == sizeof(ColorStop));
    static_assert(kAlphaStride * sizeof(float) == sizeof(AlphaHandle));
    // The secondary lists are sampled only where edges blend, the alpha ones only when they vary.
    struct List {
      const float *positions;
      std::size_t stride, size;
      bool used;
    } wanted[4] = {
        {Positions(c.primary), kColorStride, c.primary.size(), true},
        {Positions(c.secondary), kColorStride, c.secondary.size(), c.edgeBlend},
        {Positions(a.primary), kAlphaStride, a.primary.size(), !a.opaque},
        {Positions(a.secondary), kAlphaStride, a.secondary.size(), !a.opaque && a.edgeBlend},
    };
    std::size_t total = 0;
    for (const List &l : wanted) total += l.used ? BucketsFor(l.size) : 0;
    indexStorage = Allocate<std::uint16_t>(total);
    indexEntries = total;
    std::uint16_t *next = indexStorage.get();
    for (int i = 0; i < 4; ++i) {
      const List &l = wanted[i];
      if (!l.used) continue;
      const std::uint32_t buckets = BucketsFor(l.size);
      listBuilt[i] = BuildIndex(l.positions, l.stride, l.size, next, buckets, lists[i]);
      next += buckets;
    }
    colorIndex = {listBuilt[0] ? &lists[0] : nullptr, listBuilt[1] ? &lists[1] : nullptr};
    alphaIndex = {listBuilt[2] ? &lists[2] : nullptr, listBuilt[3] ? &lists[3] : nullptr};
  }
};

namespace {

// Building an entry costs about what mapping a pixel the slow way costs, so a table pays once the
// frame has a good deal more pixels than the table has entries.
constexpr std::int64_t kPixelsPerEntry = 2;

template <class Depth>
const Table<Depth> &TableOf(const FastPath &fast) {
  if constexpr (std::is_same_v<Depth, Depth8>) {
    return fast.table8;
  } else {
    return fast.table16;
  }
}

template <class Pixel>
HUEWARP_ALWAYS_INLINE bool BeyondWhite16(const Pixel &p) {
  if constexpr (std::is_same_v<Pixel, PF_Pixel16>) {
    // Channels above 32768 read as more than 1 and have no level in the table.
    return (p.alpha > 32768) | (p.red > 32768) | (p.green > 32768) | (p.blue > 32768);
  } else {
    return false;
  }
}

PF_Err Reference(void *refcon, PF_Pixel8 *in, PF_Pixel8 *out) {
  return MapPixel8(refcon, 0, 0, in, out);
}
PF_Err Reference(void *refcon, PF_Pixel16 *in, PF_Pixel16 *out) {
  return MapPixel16(refcon, 0, 0, in, out);
}

template <class Depth, Reads kReads, class Pixel>
PF_Err TableOutput(void *refcon, A_long, A_long, Pixel *in, Pixel *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const Table<Depth> &table = TableOf<Depth>(*data.fastPath);
  const Pixel p = *in;
  if (BeyondWhite16(p)) return Reference(refcon, in, out);
  const unsigned key = KeyOf<kReads>(p);
  // The colour as one word, then the alpha: the input was read whole before, so the two pixels
  // may be the same.
  *out = table.rgb[key];
  if (table.alphaKept) {
    out->alpha = p.alpha;
  } else if (table.alphaOut) {
    out->alpha = table.alphaOut[p.alpha];
  } else {
    constexpr auto kScale = static_cast<float>(Depth::kScale);
    out->alpha = kernel::RoundedWithoutBranches<typename Depth::Channel, Depth::kScale>(
        table.alphaLooked[key] * (p.alpha * Depth::kFactor) * kScale);
  }
  return PF_Err_NONE;
}

template <class Depth, Reads kReads, class Ops, class Pixel>
HUEWARP_ALWAYS_INLINE PF_Err TableLooked(void *refcon, Pixel *in, Pixel *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const Pixel p = *in;
  if (BeyondWhite16(p)) return Reference(refcon, in, out);
  const Looked &l = TableOf<Depth>(*data.fastPath).looked[KeyOf<kReads>(p)];
  *out = Depth::OutWithoutBranches(kernel::Finish<Ops>(data, l, Depth::InPacked(p)));
  return PF_Err_NONE;
}

/// What computes the input value: at integer depths, with the processor's instruction, unchecked.
template <class Depth, class Ops>
using InputOpsOf =
#if defined(HUEWARP_HAS_FMA_TARGET)
    std::conditional_t<Ops::kPacked && !std::is_same_v<Depth, DepthFloat>,
                       kernel::HardwareFmaOfNumbers, Ops>;
#else
    Ops;
#endif

template <class Depth, class Ops, class Pixel>
HUEWARP_ALWAYS_INLINE PF_Err Sampling(void *refcon, Pixel *in, Pixel *out) {
  if constexpr (std::is_same_v<Pixel, PF_PixelFloat>) {
    // Which of two NaNs an operation passes on is the compiler's choice: a pixel that brings its
    // own NaNs goes through the reference code itself.
    if (kernel::CarriesNaN(*in)) {
      return MapPixelFloat(refcon, 0, 0, in, out);
    }
  }
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const FastPath &fast = *data.fastPath;
  *out = Depth::OutWithoutBranches(kernel::Mapped<Ops, true, InputOpsOf<Depth, Ops>>(
      data, Depth::InPacked(*in), fast.colorIndex, fast.alphaIndex));
  return PF_Err_NONE;
}

// The input value read once: a proven bucket gives the colour, its alpha comes from the input alpha
// or the alpha ramp; other values are sampled whole.
template <class Ops>
HUEWARP_ALWAYS_INLINE PF_Err ValueBuckets(void *refcon, PF_Pixel8 *in, PF_Pixel8 *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const FastPath &fast = *data.fastPath;
  const Table<Depth8> &table = fast.table8;
  const PF_Pixel8 p = *in;
  const float v = kernel::InputValue<InputOpsOf<Depth8, Ops>>(data.inputRange, Depth8::InPacked(p));
  if (std::bit_cast<std::uint32_t>(v) <= std::bit_cast<std::uint32_t>(1.0f)) {
    const auto bucket = static_cast<std::uint32_t>(v * fast.bucketScale);
    const PF_Pixel8 e = table.rgb[bucket];
    if (e.alpha == 0) {
      A_u_char alpha;
      if (table.alphaKept) {
        alpha = p.alpha;
      } else if (table.alphaOut) {
        alpha = table.alphaOut[p.alpha];
      } else if (p.alpha == 255 && table.fullAlpha[bucket] < 256) {
        alpha = static_cast<A_u_char>(table.fullAlpha[bucket]);
      } else if (p.alpha == 0) {
        alpha = 0;  // whatever the looked-up alpha, its product with 0 rounds to 0
      } else {
        const float t = kernel::GradientPosition<true>(data, v);
        const float a = kernel::SampleAlphaWith<Ops, true>(*data.alphaRamp, t, data.cycleScale,
                                                           fast.alphaIndex);
        alpha =
            kernel::RoundedWithoutBranches<A_u_char, 255>(a * (p.alpha * Depth8::kFactor) * 255.0f);
      }
      *out = e;
      out->alpha = alpha;
      return PF_Err_NONE;
    }
  }
  return Sampling<Depth8, Ops>(refcon, in, out);
}

PF_Err ValueBucketsSoftware(void *refcon, A_long, A_long, PF_Pixel8 *in, PF_Pixel8 *out) {
  return ValueBuckets<SoftwareFma>(refcon, in, out);
}

template <class Depth, Reads kReads, class Pixel>
PF_Err TableLookedSoftware(void *refcon, A_long, A_long, Pixel *in, Pixel *out) {
  return TableLooked<Depth, kReads, SoftwareFma>(refcon, in, out);
}

template <class Depth, class Pixel>
PF_Err SamplingSoftware(void *refcon, A_long, A_long, Pixel *in, Pixel *out) {
  return Sampling<Depth, SoftwareFma>(refcon, in, out);
}

#if defined(HUEWARP_HAS_FMA_TARGET)
// The same bodies compiled for processors with the fused instruction, so that it is inlined.
template <class Depth, Reads kReads, class Pixel>
__attribute__((target("fma"))) PF_Err TableLookedHardware(void *refcon, A_long, A_long, Pixel *in,
                                                          Pixel *out) {
  return TableLooked<Depth, kReads, kernel::HardwareFma>(refcon, in, out);
}

__attribute__((target("fma"))) PF_Err ValueBucketsHardware(void *refcon, A_long, A_long,
                                                           PF_Pixel8 *in, PF_Pixel8 *out) {
  return ValueBuckets<kernel::HardwareFma>(refcon, in, out);
}

template <class Depth, class Pixel>
__attribute__((target("fma"))) PF_Err SamplingHardware(void *refcon, A_long, A_long, Pixel *in,
                                                       Pixel *out) {
  return Sampling<Depth, kernel::HardwareFma>(refcon, in, out);
}
#endif

template <class Pixel>
using PixelFunc = PF_Err (*)(void *, A_long, A_long, Pixel *, Pixel *);

/// The table callback of `reads`, one instantiation per entry of TableReads.
template <class Depth, class Pixel, Reads... kTable>
PixelFunc<Pixel> TableFunction(Reads reads, bool output, bool hardware,
                               std::integer_sequence<Reads, kTable...>) {
  PixelFunc<Pixel> f = nullptr;
  const auto pick = [&](auto fn, Reads r) {
    if (r == reads) f = fn;
  };
  if (output) {
    (pick(TableOutput<Depth, kTable, Pixel>, kTable), ...);
    return f;
  }
#if defined(HUEWARP_HAS_FMA_TARGET)
  if (hardware) {
    (pick(TableLookedHardware<Depth, kTable, Pixel>, kTable), ...);
    return f;
  }
#endif
  (void)hardware;
  (pick(TableLookedSoftware<Depth, kTable, Pixel>, kTable), ...);
  return f;
}

template <class Depth, class Pixel>
PixelFunc<Pixel> FunctionFor(const FastPath &fast, FastMode mode, PixelFunc<Pixel> reference) {
  if constexpr (!std::is_same_v<Depth, DepthFloat>) {
    if (mode == FastMode::kTableOutput || mode == FastMode::kTableLooked) {
      return TableFunction<Depth, Pixel>(fast.reads, mode == FastMode::kTableOutput,
                                         fast.hardwareFma, TableReads{});
    }
  }
  if constexpr (std::is_same_v<Depth, Depth8>) {
    if (mode == FastMode::kValueBuckets) {
#if defined(HUEWARP_HAS_FMA_TARGET)
      if (fast.hardwareFma) return ValueBucketsHardware;
#endif
      return ValueBucketsSoftware;
    }
  }
  if (mode == FastMode::kReference) return reference;
#if defined(HUEWARP_HAS_FMA_TARGET)
  if (fast.hardwareFma) return SamplingHardware<Depth, Pixel>;
#endif
  return SamplingSoftware<Depth, Pixel>;
}

// Only default NaNs arise from numbers, and those are all alike. A gradient or a parameter that
// carries NaNs of its own leaves the frame to the reference callbacks (hosts deliver none).
bool CarriesNaN(const PreRenderData &data) {
  bool nan = std::isnan(data.offsetTurns) || std::isnan(data.offsetWrapped) ||
             std::isnan(data.cycleScale) || std::isnan(data.blend);
  for (const auto *list : {&data.colorRamp->primary, &data.colorRamp->secondary}) {
    for (const ColorStop &s : *list) {
      nan = nan || std::isnan(s.red) || std::isnan(s.green) || std::isnan(s.blue);
    }
  }
  for (const auto *list : {&data.alphaRamp->primary, &data.alphaRamp->secondary}) {
    for (const AlphaHandle &h : *list) nan = nan || std::isnan(h.alpha);
  }
  return nan;
}

}  // namespace

Reads ReadsOf(std::uint16_t inputRange) {
  for (const RangeReads &r : kRangeReads) {
    if (r.range == inputRange) return r.reads;
  }
  return Reads::kNothing;
}

bool HasHardwareFma() {
#if defined(HUEWARP_HAS_FMA_TARGET)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma") != 0;
  }();
  return has;
#else
  return false;
#endif
}

FastPath *NewFastPath(const PreRenderData &data, int bitdepth, std::int64_t pixels,
                      bool hardwareFma) {
  auto fast = std::make_unique<FastPath>();
  fast->bitdepth = bitdepth;
  fast->hardwareFma = hardwareFma;
  fast->reads = ReadsOf(data.inputRange);
  if (CarriesNaN(data)) return fast.release();  // kReference
  fast->mode = FastMode::kSampling;
  // The tables are built with the indices too, which makes building them cheaper.
  fast->BuildIndices(data);
  const bool output = kernel::FinishIsPlain(data);
  const std::size_t levels = bitdepth == 8 ? Depth8::kLevels : Depth16::kLevels;
  const std::size_t entries = bitdepth == 32 ? 0 : TableEntries(fast->reads, levels);
  if (entries != 0 && pixels >= kPixelsPerEntry * static_cast<std::int64_t>(entries)) {
    if (bitdepth == 8) {
      fast->table8.Build(data, fast->reads, output, fast->colorIndex, fast->alphaIndex);
    } else {
      fast->table16.Build(data, fast->reads, output, fast->colorIndex, fast->alphaIndex);
    }
    fast->mode = output ? FastMode::kTableOutput : FastMode::kTableLooked;
  } else if (fast->reads == Reads::kAll && bitdepth == 8 && output) {
    const std::uint32_t buckets = ValueBucketsFor(data);
    if (pixels >= kPixelsPerEntry * buckets) {
      fast->table8.BuildBuckets(data, buckets, fast->colorIndex, fast->alphaIndex, hardwareFma);
      fast->bucketScale = static_cast<float>(buckets);
      fast->mode = FastMode::kValueBuckets;
    }
  }
  return fast.release();
}

void DeleteFastPath(FastPath *fast) noexcept { delete fast; }

std::size_t FastPathBytes(const FastPath *fast) {
  if (!fast) return 0;
  return sizeof(FastPath) + fast->table8.Bytes() + fast->table16.Bytes() +
         fast->indexEntries * sizeof(std::uint16_t);
}

FastMode ModeOf(const PreRenderData &data, int bitdepth) {
  const FastPath *fast = data.fastPath;
  if (!fast || fast->mode == FastMode::kReference) return FastMode::kReference;
  return bitdepth == fast->bitdepth ? fast->mode : FastMode::kSampling;
}

PixelFunctions SelectPixelFunctions(const PreRenderData &data) {
  if (!data.fastPath) return {MapPixel8, MapPixel16, MapPixelFloat};
  const FastPath &fast = *data.fastPath;
  return {FunctionFor<Depth8, PF_Pixel8>(fast, ModeOf(data, 8), MapPixel8),
          FunctionFor<Depth16, PF_Pixel16>(fast, ModeOf(data, 16), MapPixel16),
          FunctionFor<DepthFloat, PF_PixelFloat>(fast, ModeOf(data, 32), MapPixelFloat)};
}

}  // namespace huewarp
