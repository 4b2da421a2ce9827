#include "core/fast_path.h"

#include <algorithm>
#include <memory>
#include <new>
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

  std::size_t Bytes() const {
    const std::size_t n = entries;
    return (rgb ? n * sizeof(Pixel) : 0) + (alphaOut ? Depth::kLevels * sizeof(Channel) : 0) +
           (alphaLooked ? n * sizeof(float) : 0) + (looked ? n * sizeof(Looked) : 0);
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
    if (alphaOut) {
      alphaKept = true;
      for (std::size_t level = 0; level < Depth::kLevels; ++level) {
        alphaOut[level] =
            kernel::Quantized<Channel, Depth::kScale>(static_cast<float>(level) * Depth::kFactor);
        alphaKept &= alphaOut[level] == level;
      }
    }
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
    out->alpha = kernel::Quantized<typename Depth::Channel, Depth::kScale>(
        table.alphaLooked[key] * (p.alpha * Depth::kFactor));
  }
  return PF_Err_NONE;
}

template <class Depth, Reads kReads, class Ops, class Pixel>
HUEWARP_ALWAYS_INLINE PF_Err TableLooked(void *refcon, Pixel *in, Pixel *out) {
  const auto &data = *static_cast<const PreRenderData *>(refcon);
  const Pixel p = *in;
  if (BeyondWhite16(p)) return Reference(refcon, in, out);
  const Looked &l = TableOf<Depth>(*data.fastPath).looked[KeyOf<kReads>(p)];
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
  const FastPath &fast = *data.fastPath;
  *out = Depth::OutWithoutBranches(
      kernel::Mapped<Ops, true>(data, Depth::In(*in), fast.colorIndex, fast.alphaIndex));
  return PF_Err_NONE;
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
