#include "core/fast_path.h"

#include <algorithm>
#include <memory>
#include <new>
#include <type_traits>
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
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

/// Which channel of a pixel carries the input level of a one-channel range.
enum class Pick : std::uint8_t { kNone, kAlpha, kRed, kGreen, kBlue, kMin, kMax };

Pick PickOf(std::uint16_t inputRange) {
  switch (inputRange) {
    case kInputRed:
      return Pick::kRed;
    case kInputGreen:
      return Pick::kGreen;
    case kInputBlue:
      return Pick::kBlue;
    case kInputAlpha:
      return Pick::kAlpha;
    case kInputMinRgb:
      return Pick::kMin;
    case kInputMaxRgb:
    case kInputBlack:
      return Pick::kMax;
    default:
      return Pick::kNone;
  }
}

// Scaling by a positive factor keeps order, so the float of the smallest level is the smallest
// float: min and max can be taken on the integers.
template <Pick kPick, class Pixel>
HUEWARP_ALWAYS_INLINE unsigned LevelOf(const Pixel &p) {
  if constexpr (kPick == Pick::kAlpha) return p.alpha;
  if constexpr (kPick == Pick::kRed) return p.red;
  if constexpr (kPick == Pick::kGreen) return p.green;
  if constexpr (kPick == Pick::kBlue) return p.blue;
  if constexpr (kPick == Pick::kMin)
    return std::min<unsigned>(std::min<unsigned>(p.red, p.green), p.blue);
  if constexpr (kPick == Pick::kMax)
    return std::max<unsigned>(std::max<unsigned>(p.red, p.green), p.blue);
  return 0;
}

template <class Pixel>
HUEWARP_ALWAYS_INLINE unsigned LevelOf(Pick pick, const Pixel &p) {
  switch (pick) {
    case Pick::kAlpha:
      return LevelOf<Pick::kAlpha>(p);
    case Pick::kRed:
      return LevelOf<Pick::kRed>(p);
    case Pick::kGreen:
      return LevelOf<Pick::kGreen>(p);
    case Pick::kBlue:
      return LevelOf<Pick::kBlue>(p);
    case Pick::kMin:
      return LevelOf<Pick::kMin>(p);
    default:
      return LevelOf<Pick::kMax>(p);
  }
}

/// The lookup per input level of one depth. Without composite and blend (`plain`) the finished
/// output channels; otherwise the looked-up colour and alpha, finished per pixel.
template <class Depth>
struct LevelTable {
  using Channel = typename Depth::Channel;
  using Pixel = decltype(Depth::Out(PF_PixelFloat{}));
  bool plain = false;
  bool alphaKept = false;                // plain, opaque: each alpha is written back as it came
  std::unique_ptr<Pixel[]> rgb;          // plain: the output colour, alpha 0
  std::unique_ptr<Channel[]> alphaOut;   // plain, opaque alpha ramp: the input alpha written back
  std::unique_ptr<float[]> alphaLooked;  // plain, other alpha ramps
  std::unique_ptr<Looked[]> looked;      // composite or blend

  bool Built() const { return rgb || looked; }

  std::size_t Bytes() const {
    const std::size_t n = Depth::kLevels;
    return (rgb ? n * sizeof(Pixel) : 0) + (alphaOut ? n * sizeof(Channel) : 0) +
           (alphaLooked ? n * sizeof(float) : 0) + (looked ? n * sizeof(Looked) : 0);
  }

  // Each level is mapped exactly as a grey pixel of that level: the one-channel ranges give it
  // the same input value as any pixel whose picked channel has that level.
  bool Build(const PreRenderData &data) {
    const std::size_t n = Depth::kLevels;
    const bool opaque = data.alphaRamp->opaque;
    plain = kernel::FinishIsPlain(data);
    if (plain) {
      rgb = Allocate<Pixel>(n);
      if (opaque) {
        alphaOut = Allocate<Channel>(n);
      } else {
        alphaLooked = Allocate<float>(n);
      }
      if (!rgb || !(alphaOut || alphaLooked)) return false;
    } else {
      looked = Allocate<Looked>(n);
      if (!looked) return false;
    }
    for (std::size_t level = 0; level < n; ++level) {
      const float v = static_cast<float>(level) * Depth::kFactor;
      const PF_PixelFloat grey{v, v, v, v};
      const float t = kernel::GradientPosition<false>(
          data, kernel::InputValue<SoftwareFma>(data.inputRange, grey));
      const Looked l = kernel::LookUp<SoftwareFma, false>(data, t, {}, {});
      if (!plain) {
        looked[level] = l;
        continue;
      }
      using kernel::Quantized;
      rgb[level] = Depth::Out({0.0f, l.color.red, l.color.green, l.color.blue});
      if (opaque) {
        alphaOut[level] = Quantized<Channel, Depth::kScale>(v);
      } else {
        alphaLooked[level] = l.alpha;
      }
    }
    if (alphaOut) {
      alphaKept = true;
      for (std::size_t level = 0; level < n; ++level) alphaKept &= alphaOut[level] == level;
    }
    return true;
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
  bool hardwareFma = false;
  Pick pick = Pick::kNone;
  LevelTable<Depth8> table8;
  LevelTable<Depth16> table16;
  // Colour primary, colour secondary, alpha primary, alpha secondary.
  ListIndex lists[4] = {};
  bool listBuilt[4] = {};
  std::size_t indexEntries = 0;
  std::unique_ptr<std::uint16_t[]> indexStorage;
  RampIndex colorIndex;
  RampIndex alphaIndex;

  bool BuildIndices(const PreRenderData &data) {
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
    if (!indexStorage) return false;
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
    return true;
  }
};

namespace {

// Building a level costs about what mapping a pixel the slow way costs, so a table pays once the
// frame has a good deal more pixels than the table has levels.
constexpr std::int64_t kPixelsPerLevel = 2;

template <class Depth>
const LevelTable<Depth> &TableOf(const FastPath &fast) {
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

template <class Depth, Pick kPick, class Pixel>
PF_Err TablePlain(void *refcon, A_long, A_long, Pixel *in, Pixel *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const LevelTable<Depth> &table = TableOf<Depth>(*data.fastPath);
  const Pixel p = *in;
  if (BeyondWhite16(p)) return Reference(refcon, in, out);
  const unsigned level = LevelOf<kPick>(p);
  // The colour as one word, then the alpha: the input was read whole before, so the two pixels
  // may be the same.
  *out = table.rgb[level];
  if (table.alphaKept) {
    out->alpha = p.alpha;
  } else if (table.alphaOut) {
    out->alpha = table.alphaOut[p.alpha];
  } else {
    out->alpha = kernel::Quantized<typename Depth::Channel, Depth::kScale>(
        table.alphaLooked[level] * (p.alpha * Depth::kFactor));
  }
  return PF_Err_NONE;
}

template <class Depth, class Ops, class Pixel>
HUEWARP_ALWAYS_INLINE PF_Err TableFinishing(void *refcon, Pixel *in, Pixel *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const FastPath &fast = *data.fastPath;
  const Pixel p = *in;
  if (BeyondWhite16(p)) return Reference(refcon, in, out);
  const Looked &l = TableOf<Depth>(fast).looked[LevelOf(fast.pick, p)];
  *out = Depth::OutWithoutBranches(kernel::Finish<Ops>(data, l, Depth::In(p)));
  return PF_Err_NONE;
}

template <class Depth, class Ops, class Pixel>
HUEWARP_ALWAYS_INLINE PF_Err Sampling(void *refcon, Pixel *in, Pixel *out) {
  if constexpr (std::is_same_v<Pixel, PF_PixelFloat>) {
    // Which of two NaNs an operation passes on is the compiler's choice: a pixel that brings its
    // own NaNs goes through the reference code itself.
    if (std::isnan(in->alpha) | std::isnan(in->red) | std::isnan(in->green) |
        std::isnan(in->blue)) {
      return MapPixelFloat(refcon, 0, 0, in, out);
    }
  }
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  RampIndex colors, alphas;
  if (const FastPath *fast = data.fastPath) {
    colors = fast->colorIndex;
    alphas = fast->alphaIndex;
  }
  *out = Depth::OutWithoutBranches(kernel::Mapped<Ops, true>(data, Depth::In(*in), colors, alphas));
  return PF_Err_NONE;
}

template <class Depth, class Pixel>
PF_Err TableFinishingSoftware(void *refcon, A_long, A_long, Pixel *in, Pixel *out) {
  return TableFinishing<Depth, SoftwareFma>(refcon, in, out);
}

template <class Depth, class Pixel>
PF_Err SamplingSoftware(void *refcon, A_long, A_long, Pixel *in, Pixel *out) {
  return Sampling<Depth, SoftwareFma>(refcon, in, out);
}

#if defined(HUEWARP_HAS_FMA_TARGET)
// The same bodies compiled for processors with the fused instruction, so that it is inlined.
template <class Depth, class Pixel>
__attribute__((target("fma"))) PF_Err TableFinishingHardware(void *refcon, A_long, A_long,
                                                             Pixel *in, Pixel *out) {
  return TableFinishing<Depth, kernel::HardwareFma>(refcon, in, out);
}

template <class Depth, class Pixel>
__attribute__((target("fma"))) PF_Err SamplingHardware(void *refcon, A_long, A_long, Pixel *in,
                                                       Pixel *out) {
  return Sampling<Depth, kernel::HardwareFma>(refcon, in, out);
}
#endif

template <class Depth, class Pixel>
using PixelFunc = PF_Err (*)(void *, A_long, A_long, Pixel *, Pixel *);

template <class Depth, class Pixel>
PixelFunc<Depth, Pixel> PlainFor(Pick pick) {
  switch (pick) {
    case Pick::kAlpha:
      return TablePlain<Depth, Pick::kAlpha, Pixel>;
    case Pick::kRed:
      return TablePlain<Depth, Pick::kRed, Pixel>;
    case Pick::kGreen:
      return TablePlain<Depth, Pick::kGreen, Pixel>;
    case Pick::kBlue:
      return TablePlain<Depth, Pick::kBlue, Pixel>;
    case Pick::kMin:
      return TablePlain<Depth, Pick::kMin, Pixel>;
    default:
      return TablePlain<Depth, Pick::kMax, Pixel>;
  }
}

template <class Depth, class Pixel>
PixelFunc<Depth, Pixel> FunctionFor(const FastPath *fast, bool hardware) {
  if constexpr (!std::is_same_v<Depth, DepthFloat>) {
    if (fast && TableOf<Depth>(*fast).Built()) {
      if (TableOf<Depth>(*fast).plain) return PlainFor<Depth, Pixel>(fast->pick);
#if defined(HUEWARP_HAS_FMA_TARGET)
      if (hardware) return TableFinishingHardware<Depth, Pixel>;
#endif
      return TableFinishingSoftware<Depth, Pixel>;
    }
  }
#if defined(HUEWARP_HAS_FMA_TARGET)
  if (hardware) return SamplingHardware<Depth, Pixel>;
#endif
  (void)hardware;
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
                      bool hardwareFma) noexcept {
  std::unique_ptr<FastPath> fast(new (std::nothrow) FastPath);
  if (!fast) return nullptr;
  fast->hardwareFma = hardwareFma;
  fast->pick = PickOf(data.inputRange);
  bool ok = true;
  if (fast->pick != Pick::kNone && bitdepth == 8 && pixels >= kPixelsPerLevel * Depth8::kLevels) {
    ok = fast->table8.Build(data);
  } else if (fast->pick != Pick::kNone && bitdepth == 16 &&
             pixels >= kPixelsPerLevel * Depth16::kLevels) {
    ok = fast->table16.Build(data);
  }
  // With a table the pixels never search the gradient.
  if (ok && !HasLevelTable(fast.get(), bitdepth)) ok = fast->BuildIndices(data);
  return ok ? fast.release() : nullptr;
}

void DeleteFastPath(FastPath *fast) noexcept { delete fast; }

std::size_t FastPathBytes(const FastPath *fast) {
  if (!fast) return 0;
  return sizeof(FastPath) + fast->table8.Bytes() + fast->table16.Bytes() +
         fast->indexEntries * sizeof(std::uint16_t);
}

bool HasLevelTable(const FastPath *fast, int bitdepth) {
  if (!fast) return false;
  return bitdepth == 8 ? fast->table8.Built() : bitdepth == 16 && fast->table16.Built();
}

PixelFunctions SelectPixelFunctions(const PreRenderData &data) {
  if (CarriesNaN(data)) return {MapPixel8, MapPixel16, MapPixelFloat};
  const FastPath *fast = data.fastPath;
  const bool hardware = fast ? fast->hardwareFma : HasHardwareFma();
  return {FunctionFor<Depth8, PF_Pixel8>(fast, hardware),
          FunctionFor<Depth16, PF_Pixel16>(fast, hardware),
          FunctionFor<DepthFloat, PF_PixelFloat>(fast, hardware)};
}

}  // namespace huewarp
