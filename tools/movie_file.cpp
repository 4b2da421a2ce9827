#include "tools/movie_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "tools/pixel_scale.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

using host::Depth;
using host::World;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Extension(const std::string &path) {
  return Lower(std::filesystem::path(path).extension().string());
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

[[noreturn]] void ReadError(const std::string &path, const std::string &why) {
  throw ToolError("cannot read " + Quoted(path) + ": " + why);
}

[[noreturn]] void WriteError(const std::string &path, const std::string &why) {
  throw ToolError("cannot write " + Quoted(path) + ": " + why);
}

/// FFmpeg's own messages would break the one-line rule; its codes say enough.
void QuietLibraries() {
  static const bool done = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
  }();
  (void)done;
}

struct FrameDeleter {
  void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketDeleter {
  void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct CodecDeleter {
  void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct InputDeleter {
  void operator()(AVFormatContext *f) const { avformat_close_input(&f); }
};
struct SwsDeleter {
  void operator()(SwsContext *s) const { sws_freeContext(s); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using InputPtr = std::unique_ptr<AVFormatContext, InputDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;

/// Where each of red, green, blue and alpha lives in a frame whose components are whole bytes
/// or 16-bit words in native order, packed or planar; only such frames are copied directly.
struct Layout {
  bool direct = false;
  bool wide = false;  ///< 16-bit components.
  bool alpha = false;
  std::array<int, 4> plane{}, offset{}, step{};
};

Layout LayoutOf(AVPixelFormat format) {
  Layout layout;
  const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
  if (!desc || !(desc->flags & AV_PIX_FMT_FLAG_RGB) ||
      (desc->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_BE |
                      AV_PIX_FMT_FLAG_FLOAT)) ||
      desc->nb_components < 3) {
    return layout;
  }
  const int depth = desc->comp[0].depth;
  if (depth != 8 && depth != 16) return layout;
  const int unit = depth / 8;
  for (int c = 0; c < desc->nb_components; ++c) {
    const AVComponentDescriptor &comp = desc->comp[c];
    if (comp.depth != depth || comp.shift != 0 || comp.offset % unit || comp.step % unit) {
      return layout;
    }
    layout.plane[c] = comp.plane;
    layout.offset[c] = comp.offset / unit;
    layout.step[c] = comp.step / unit;
  }
  layout.direct = true;
  layout.wide = depth == 16;
  layout.alpha = desc->nb_components == 4;
  return layout;
}

template <class Code>
const Code *ComponentRow(const AVFrame &frame, const Layout &layout, int c, int y) {
  return reinterpret_cast<const Code *>(frame.data[layout.plane[c]] +
                                        static_cast<std::ptrdiff_t>(y) *
                                            frame.linesize[layout.plane[c]]) +
         layout.offset[c];
}

template <class Code>
Code *ComponentRow(AVFrame &frame, const Layout &layout, int c, int y) {
  return reinterpret_cast<Code *>(frame.data[layout.plane[c]] +
                                  static_cast<std::ptrdiff_t>(y) *
                                      frame.linesize[layout.plane[c]]) +
         layout.offset[c];
}

/// Frame components (8 or 16-bit codes) into the world, at whatever depth it has.
template <class Code>
void FrameToWorld(const AVFrame &frame, const Layout &layout, World &world) {
  constexpr std::uint32_t kMax = sizeof(Code) == 1 ? 255 : 65535;
  const float scale = 1.0f / kMax;
  for (int y = 0; y < world.height(); ++y) {
    std::array<const Code *, 4> row{};
    for (int c = 0; c < (layout.alpha ? 4 : 3); ++c)
      row[c] = ComponentRow<Code>(frame, layout, c, y);
    for (int x = 0; x < world.width(); ++x) {
      auto at = [&](int c) -> std::uint32_t {
        return c == 3 && !layout.alpha ? kMax : row[c][x * layout.step[c]];
      };
      if constexpr (sizeof(Code) == 1) {
        if (world.depth() == Depth::k8) {
          world.Row<PF_Pixel>(y)[x] = {static_cast<A_u_char>(at(3)), static_cast<A_u_char>(at(0)),
                                       static_cast<A_u_char>(at(1)), static_cast<A_u_char>(at(2))};
          continue;
        }
      } else {
        if (world.depth() == Depth::k16) {
          world.Row<PF_Pixel16>(y)[x] = {FromFile16(at(3)), FromFile16(at(0)), FromFile16(at(1)),
                                         FromFile16(at(2))};
          continue;
        }
      }
      world.SetFloat(x, y, {at(3) * scale, at(0) * scale, at(1) * scale, at(2) * scale});
    }
  }
}

/// The world into frame components of 8 or 16 bits.
template <class Code>
void WorldToFrame(const World &world, const Layout &layout, AVFrame &frame) {
  constexpr float kMax = sizeof(Code) == 1 ? 255.0f : 65535.0f;
  auto quantize = [&](float v) {
    return static_cast<Code>(std::lround(std::clamp(v, 0.0f, 1.0f) * kMax));
  };
  for (int y = 0; y < world.height(); ++y) {
    std::array<Code *, 4> row{};
    const int channels = layout.alpha ? 4 : 3;
    for (int c = 0; c < channels; ++c) row[c] = ComponentRow<Code>(frame, layout, c, y);
    for (int x = 0; x < world.width(); ++x) {
      std::array<Code, 4> v;
      if (sizeof(Code) == 1 && world.depth() == Depth::k8) {
        const PF_Pixel &p = world.Row<PF_Pixel>(y)[x];
        v = {static_cast<Code>(p.red), static_cast<Code>(p.green), static_cast<Code>(p.blue),
             static_cast<Code>(p.alpha)};
      } else if (sizeof(Code) == 2 && world.depth() == Depth::k16) {
        const PF_Pixel16 &p = world.Row<PF_Pixel16>(y)[x];
        v = {static_cast<Code>(ToFile16(p.red)), static_cast<Code>(ToFile16(p.green)),
             static_cast<Code>(ToFile16(p.blue)), static_cast<Code>(ToFile16(p.alpha))};
      } else {
        const PF_PixelFloat p = world.GetFloat(x, y);
        v = {quantize(p.red), quantize(p.green), quantize(p.blue), quantize(p.alpha)};
      }
      for (int c = 0; c < channels; ++c) row[c][x * layout.step[c]] = v[c];
    }
  }
}

void CopyFrameToWorld(const AVFrame &frame, const Layout &layout, World &world) {
  if (layout.wide) {
    FrameToWorld<std::uint16_t>(frame, layout, world);
  } else {
    FrameToWorld<std::uint8_t>(frame, layout, world);
  }
}

void CopyWorldToFrame(const World &world, const Layout &layout, AVFrame &frame) {
  if (layout.wide) {
    WorldToFrame<std::uint16_t>(world, layout, frame);
  } else {
    WorldToFrame<std::uint8_t>(world, layout, frame);
  }
}

/// Sources without colour information are taken as broadcast ones: BT.709 from HD up.
int MatrixOf(AVColorSpace space, int height) {
  switch (space) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
      return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:
      return height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  }
}

FramePtr NewFrame(AVPixelFormat format, int width, int height) {
  FramePtr frame(av_frame_alloc());
  if (!frame) throw std::bad_alloc();
  frame->format = format;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) throw std::bad_alloc();
  return frame;
}

// FFmpeg's own default for conversions; full-chroma and accurate-rounding paths cost a third of
// the tool's time at 1080p.
constexpr int kScaleFlags = SWS_BICUBIC;

}  // namespace

bool IsMovieFile(const std::string &path) {
  static const char *const kExtensions[] = {".mp4", ".m4v", ".mov",  ".mkv", ".avi", ".webm",
                                            ".mxf", ".mts", ".m2ts", ".ts",  ".mpg", ".mpeg",
                                            ".flv", ".wmv", ".ogv",  ".y4m", ".3gp", ".nut"};
  const std::string extension = Extension(path);
  return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                     [&](const char *e) { return extension == e; });
}

// ---------------------------------------------------------------------------------------------
// Reading

struct MovieReader::State {
  std::string path;
  InputPtr input;
  CodecPtr decoder;
  AVStream *stream = nullptr;
  PacketPtr packet{av_packet_alloc()};
  FramePtr frame{av_frame_alloc()};
  FramePtr converted;
  SwsPtr scaler;
  Depth depth = Depth::k8;
  bool high_bit_depth = false;
  bool alpha = false;
  bool draining = false;
  std::int64_t last_pts = AV_NOPTS_VALUE;
  long decoded = 0;
};

MovieReader::MovieReader(const std::string &path, int depth) : state_(std::make_unique<State>()) {
  QuietLibraries();
  State &s = *state_;
  s.path = path;
  if (!s.packet || !s.frame) throw std::bad_alloc();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) ReadError(path, "it is a folder");
  AVFormatContext *raw = nullptr;
  if (const int err = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); err < 0) {
    ReadError(path, AvError(err));
  }
  s.input.reset(raw);
  if (const int err = avformat_find_stream_info(raw, nullptr); err < 0) {
    ReadError(path, AvError(err));
  }
  const AVCodec *codec = nullptr;
  const int index = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index == AVERROR_STREAM_NOT_FOUND) ReadError(path, "no video stream");
  if (index < 0 || !codec) {
    const int any = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const char *name = any >= 0 ? avcodec_get_name(raw->streams[any]->codecpar->codec_id) : "?";
    ReadError(path, std::string("no decoder for its video codec ") + Quoted(name));
  }
  s.stream = raw->streams[index];
  // Only the video stream is decoded; everything else is skipped by the demuxer.
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    if (static_cast<int>(i) != index) raw->streams[i]->discard = AVDISCARD_ALL;
  }
  s.decoder.reset(avcodec_alloc_context3(codec));
  if (!s.decoder) throw std::bad_alloc();
  if (avcodec_parameters_to_context(s.decoder.get(), s.stream->codecpar) < 0) {
    throw std::bad_alloc();
  }
  s.decoder->thread_count = 0;
  s.decoder->pkt_timebase = s.stream->time_base;
  if (const int err = avcodec_open2(s.decoder.get(), codec, nullptr); err < 0) {
    ReadError(path, std::string("cannot decode its ") + avcodec_get_name(codec->id) +
                        " video: " + AvError(err));
  }
  const auto format = static_cast<AVPixelFormat>(s.stream->codecpar->format);
  const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
  if (!desc || s.stream->codecpar->width <= 0 || s.stream->codecpar->height <= 0) {
    ReadError(path, "its video stream has no picture size or pixel format");
  }
  s.high_bit_depth = desc->comp[0].depth > 8;
  s.alpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
  s.depth = depth ? static_cast<Depth>(depth) : (s.high_bit_depth ? Depth::k16 : Depth::k8);
}

MovieReader::~MovieReader() = default;

bool MovieReader::Read(World &world, std::int64_t &pts) {
  State &s = *state_;
  for (;;) {
    const int got = avcodec_receive_frame(s.decoder.get(), s.frame.get());
    if (got == AVERROR_EOF) return false;
    if (got < 0 && got != AVERROR(EAGAIN)) {
      ReadError(s.path, "frame " + std::to_string(s.decoded) + ": " + AvError(got));
    }
    if (got == 0) break;
    if (s.draining) return false;
    const int read = av_read_frame(s.input.get(), s.packet.get());
    if (read == AVERROR_EOF) {
      avcodec_send_packet(s.decoder.get(), nullptr);
      s.draining = true;
      continue;
    }
    if (read < 0) ReadError(s.path, AvError(read));
    if (s.packet->stream_index == s.stream->index) {
      const int sent = avcodec_send_packet(s.decoder.get(), s.packet.get());
      if (sent < 0 && sent != AVERROR(EAGAIN)) {
        av_packet_unref(s.packet.get());
        ReadError(s.path, "frame " + std::to_string(s.decoded) + ": " + AvError(sent));
      }
    }
    av_packet_unref(s.packet.get());
  }
  AVFrame &frame = *s.frame;
  pts = frame.best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) {
    const AVRational rate = frame_rate();
    pts = s.last_pts == AV_NOPTS_VALUE
              ? 0
              : s.last_pts + av_rescale_q(1, av_inv_q(rate), s.stream->time_base);
  }
  s.last_pts = pts;
  ++s.decoded;

  world = World(frame.width, frame.height, s.depth);
  const Layout layout = LayoutOf(static_cast<AVPixelFormat>(frame.format));
  if (layout.direct) {
    CopyFrameToWorld(frame, layout, world);
  } else {
    const AVPixelFormat target = s.high_bit_depth || s.depth != Depth::k8
                                     ? (s.alpha ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_RGB48LE)
                                     : (s.alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24);
    if (!s.converted || s.converted->width != frame.width || s.converted->height != frame.height ||
        s.converted->format != target) {
      s.converted = NewFrame(target, frame.width, frame.height);
    }
    s.scaler.reset(sws_getCachedContext(
        s.scaler.release(), frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
        frame.width, frame.height, target, kScaleFlags, nullptr, nullptr, nullptr));
    if (!s.scaler) ReadError(s.path, "cannot convert its pixel format to RGB");
    const int *matrix = sws_getCoefficients(MatrixOf(frame.colorspace, frame.height));
    sws_setColorspaceDetails(s.scaler.get(), matrix, frame.color_range == AVCOL_RANGE_JPEG,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    sws_scale(s.scaler.get(), frame.data, frame.linesize, 0, frame.height, s.converted->data,
              s.converted->linesize);
    CopyFrameToWorld(*s.converted, LayoutOf(target), world);
  }
  av_frame_unref(s.frame.get());
  return true;
}

const std::string &MovieReader::path() const { return state_->path; }
int MovieReader::width() const { return state_->stream->codecpar->width; }
int MovieReader::height() const { return state_->stream->codecpar->height; }
Depth MovieReader::depth() const { return state_->depth; }
bool MovieReader::has_alpha() const { return state_->alpha; }
AVRational MovieReader::time_base() const { return state_->stream->time_base; }

AVRational MovieReader::frame_rate() const {
  const AVStream &st = *state_->stream;
  if (st.avg_frame_rate.num > 0 && st.avg_frame_rate.den > 0) return st.avg_frame_rate;
  if (st.r_frame_rate.num > 0 && st.r_frame_rate.den > 0) return st.r_frame_rate;
  return {25, 1};
}

long MovieReader::frame_count() const {
  const AVStream &st = *state_->stream;
  if (st.nb_frames > 0) return static_cast<long>(st.nb_frames);
  const AVRational per_frame = av_inv_q(frame_rate());
  if (st.duration != AV_NOPTS_VALUE && st.duration > 0) {
    return static_cast<long>(
        av_rescale_q_rnd(st.duration, st.time_base, per_frame, AV_ROUND_NEAR_INF));
  }
  if (state_->input->duration > 0) {
    return static_cast<long>(
        av_rescale_q_rnd(state_->input->duration, AV_TIME_BASE_Q, per_frame, AV_ROUND_NEAR_INF));
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

/// Which of an extension's renders a codec is the default for.
enum class Default { kNever, kAlways, kOpaque, kAlpha };

/// An encoder's pixel formats for opaque frames and for frames with alpha.
struct PixelFormats {
  AVPixelFormat opaque, alpha;
};

/// One output codec: everything the writer decides by codec lives in its row.
struct Codec {
  const char *name;                        ///< As --codec takes it.
  const char *label;                       ///< As messages name it.
  const char *encoder;                     ///< FFmpeg's encoder.
  std::array<const char *, 2> extensions;  ///< Containers it is the default of.
  Default default_for;
  PixelFormats eight, deep;  ///< For 8-bit renders, and for 16 and 32-bit ones.
  /// Used instead when a side is odd, which 4:2:0 cannot hold; NONE when the formats can.
  AVPixelFormat odd_size;
  int profile;          ///< 0 leaves the encoder's own.
  const char *options;  ///< Encoder options, "key=value:key=value".
  bool takes_crf;
};

constexpr PixelFormats k420{AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV420P};
constexpr PixelFormats k422{AV_PIX_FMT_YUV422P10LE, AV_PIX_FMT_YUV422P10LE};
constexpr PixelFormats k4444{AV_PIX_FMT_YUVA444P10LE, AV_PIX_FMT_YUVA444P10LE};

// FFV1 level 3 codes slices independently, so the encoder and decoders can use threads.
// clang-format off
constexpr Codec kCodecs[] = {
  // name         label            encoder      extensions        default for
  //   8-bit / deeper formats                                      odd size            profile options    crf
  {"h264",       "H.264",         "libx264",   {".mp4", ".m4v"}, Default::kAlways,
     k420, k420,                                                   AV_PIX_FMT_YUV444P, 0,      "",        true},
  {"prores",     "ProRes 422 HQ", "prores_ks", {".mov"},         Default::kOpaque,
     k422, k422,                                                   AV_PIX_FMT_NONE,    3,      "",        false},
  {"prores4444", "ProRes 4444",   "prores_ks", {".mov"},         Default::kAlpha,
     k4444, k4444,                                                 AV_PIX_FMT_NONE,    4,      "",        false},
  {"ffv1",       "FFV1",          "ffv1",      {".mkv"},         Default::kAlways,
     {AV_PIX_FMT_BGR0, AV_PIX_FMT_BGRA}, {AV_PIX_FMT_GBRP16LE, AV_PIX_FMT_GBRAP16LE},
                                                                   AV_PIX_FMT_NONE,    0,      "level=3", false},
};
// clang-format on

const Codec *FindCodec(const std::string &name) {
  for (const Codec &codec : kCodecs) {
    if (name == codec.name) return &codec;
  }
  return nullptr;
}

/// The codec an extension gets when none is asked for; null when the tool writes no movie there.
const Codec *DefaultCodec(const std::string &extension, bool alpha) {
  for (const Codec &codec : kCodecs) {
    const bool chosen = codec.default_for == Default::kAlways ||
                        codec.default_for == (alpha ? Default::kAlpha : Default::kOpaque);
    const bool holds = std::any_of(codec.extensions.begin(), codec.extensions.end(),
                                   [&](const char *e) { return e && extension == e; });
    if (chosen && holds) return &codec;
  }
  return nullptr;
}

/// The codec asked for, or the extension's; checks that the container holds it.
const Codec &ChooseCodec(const std::string &path, const std::string &name, bool alpha) {
  const std::string extension = Extension(path);
  const Codec *codec = name.empty() ? DefaultCodec(extension, alpha) : FindCodec(name);
  const AVOutputFormat *container = av_guess_format(nullptr, path.c_str(), nullptr);
  if (!codec || !container) WriteError(path, "movies are written as .mp4, .mov or .mkv");
  const AVCodec *encoder = avcodec_find_encoder_by_name(codec->encoder);
  if (!encoder) WriteError(path, std::string("this FFmpeg has no ") + codec->encoder + " encoder");
  if (avformat_query_codec(container, encoder->id, FF_COMPLIANCE_NORMAL) != 1) {
    WriteError(path, "a " + extension + " file cannot hold " + codec->label);
  }
  return *codec;
}

bool IsRgb(AVPixelFormat format) {
  const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
  return desc && (desc->flags & AV_PIX_FMT_FLAG_RGB);
}

struct OutputDeleter {
  void operator()(AVFormatContext *f) const {
    if (f->pb && !(f->oformat->flags & AVFMT_NOFILE)) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};
using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;

}  // namespace

std::vector<std::string> MovieCodecNames() {
  std::vector<std::string> names;
  for (const Codec &codec : kCodecs) names.emplace_back(codec.name);
  return names;
}

void CheckMovieOutput(const std::string &path, const std::string &codec) {
  QuietLibraries();
  ChooseCodec(path, codec, false);
}

struct MovieWriter::State {
  std::string path;  ///< The destination, as messages name it.
  MovieOutput settings;
  OutputPtr output;
  CodecPtr encoder;
  AVStream *stream = nullptr;
  PacketPtr packet{av_packet_alloc()};
  FramePtr frame;    ///< In the encoder's format.
  FramePtr staging;  ///< RGB(A) before swscale, for the YUV encoders.
  SwsPtr scaler;
  // The audio copy: the source opened once more, its audio streams and their outputs.
  InputPtr audio_input;
  std::vector<int> audio_map;  ///< Input stream index to output stream index, -1 for none.
  PacketPtr audio_packet{av_packet_alloc()};
  bool audio_pending = false;  ///< audio_packet holds a packet not yet written.
  bool audio_done = true;
  std::int64_t shift = 0;  ///< Subtracted from every video timestamp (time_base of settings).

  /// The encoder's pixel format for renders of `depth`; an odd size the codec's formats cannot
  /// hold gets its odd-size format, and the user hears so.
  AVPixelFormat PixelFormat(const Codec &codec, Depth depth, int width, int height) const {
    const PixelFormats &formats = depth == Depth::k8 ? codec.eight : codec.deep;
    if ((width % 2 || height % 2) && codec.odd_size != AV_PIX_FMT_NONE) {
      std::fprintf(stderr,
                   "huewarp: note: %s is %dx%d, which %s in 4:2:0 cannot hold: written in %s to "
                   "keep every pixel (some players play only 4:2:0)\n",
                   Quoted(path).c_str(), width, height, codec.label,
                   av_get_pix_fmt_name(codec.odd_size));
      return codec.odd_size;
    }
    return settings.alpha ? formats.alpha : formats.opaque;
  }

  /// The container, chosen by the destination's name; the temporary file shares its extension.
  void OpenContainer() {
    AVFormatContext *raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, nullptr, path.c_str()) < 0 || !raw) {
      WriteError(path, "movies are written as .mp4, .mov or .mkv");
    }
    output.reset(raw);
  }

  void OpenEncoder(const Codec &codec, AVPixelFormat format, int width, int height) {
    const AVCodec *found = avcodec_find_encoder_by_name(codec.encoder);
    encoder.reset(avcodec_alloc_context3(found));
    if (!encoder) throw std::bad_alloc();
    AVCodecContext &enc = *encoder;
    enc.width = width;
    enc.height = height;
    enc.pix_fmt = format;
    enc.time_base = settings.time_base;
    enc.framerate = settings.frame_rate;
    enc.sample_aspect_ratio = {1, 1};
    enc.thread_count = 0;
    // What the conversion below writes: BT.709 at video levels.
    if (!IsRgb(format)) {
      enc.colorspace = AVCOL_SPC_BT709;
      enc.color_primaries = AVCOL_PRI_BT709;
      enc.color_trc = AVCOL_TRC_BT709;
      enc.color_range = AVCOL_RANGE_MPEG;
    }
    if (codec.profile) enc.profile = codec.profile;
    if (output->oformat->flags & AVFMT_GLOBALHEADER) enc.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary *options = nullptr;
    av_dict_parse_string(&options, codec.options, "=", ":", 0);
    if (codec.takes_crf) av_dict_set_int(&options, "crf", settings.crf, 0);
    const int opened = avcodec_open2(&enc, found, &options);
    av_dict_free(&options);
    if (opened < 0) {
      WriteError(path,
                 std::string("cannot start the ") + codec.label + " encoder: " + AvError(opened));
    }
  }

  void AddVideoStream() {
    stream = avformat_new_stream(output.get(), nullptr);
    if (!stream) throw std::bad_alloc();
    if (avcodec_parameters_from_context(stream->codecpar, encoder.get()) < 0) {
      throw std::bad_alloc();
    }
    stream->time_base = encoder->time_base;
    stream->avg_frame_rate = settings.frame_rate;
    stream->r_frame_rate = settings.frame_rate;
  }

  /// Every audio stream of the source, to be copied packet for packet.
  void AddAudioStreams() {
    if (settings.audio_from.empty()) return;
    AVFormatContext *in = nullptr;
    if (const int err = avformat_open_input(&in, settings.audio_from.c_str(), nullptr, nullptr);
        err < 0) {
      ReadError(settings.audio_from, AvError(err));
    }
    audio_input.reset(in);
    if (const int err = avformat_find_stream_info(in, nullptr); err < 0) {
      ReadError(settings.audio_from, AvError(err));
    }
    audio_map.assign(in->nb_streams, -1);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
      AVStream *source = in->streams[i];
      if (source->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
        source->discard = AVDISCARD_ALL;
        continue;
      }
      if (avformat_query_codec(output->oformat, source->codecpar->codec_id, FF_COMPLIANCE_NORMAL) !=
          1) {
        WriteError(path, "a " + Extension(path) + " file cannot hold the " +
                             avcodec_get_name(source->codecpar->codec_id) + " audio of " +
                             Quoted(settings.audio_from));
      }
      AVStream *copy = avformat_new_stream(output.get(), nullptr);
      if (!copy || avcodec_parameters_copy(copy->codecpar, source->codecpar) < 0) {
        throw std::bad_alloc();
      }
      copy->codecpar->codec_tag = 0;
      copy->time_base = source->time_base;
      av_dict_copy(&copy->metadata, source->metadata, 0);
      copy->disposition = source->disposition;
      audio_map[i] = copy->index;
      audio_done = false;
    }
  }

  void WriteHeader(const std::string &temp_path) {
    AVFormatContext &out = *output;
    if (!(out.oformat->flags & AVFMT_NOFILE)) {
      if (const int err = avio_open(&out.pb, temp_path.c_str(), AVIO_FLAG_WRITE); err < 0) {
        WriteError(path, AvError(err));
      }
    }
    if (const int err = avformat_write_header(&out, nullptr); err < 0) {
      WriteError(path, AvError(err));
    }
  }

  /// The encoder's frame, and for formats the world cannot be copied into directly, an RGB(A)
  /// staging frame of 8 or 16 bits (as deep as the format) converted by swscale.
  void PrepareFrames(AVPixelFormat format, int width, int height) {
    frame = NewFrame(format, width, height);
    if (LayoutOf(format).direct) return;
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    const AVPixelFormat rgba = desc->comp[0].depth > 8 ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_RGBA;
    staging = NewFrame(rgba, width, height);
    scaler.reset(sws_getContext(width, height, rgba, width, height, format, kScaleFlags, nullptr,
                                nullptr, nullptr));
    if (!scaler) WriteError(path, "cannot convert RGB to the encoder's pixel format");
    sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(SWS_CS_DEFAULT), 1,
                             sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
  }

  void Mux(AVPacket *p) {
    if (const int err = av_interleaved_write_frame(output.get(), p); err < 0) {
      WriteError(path, AvError(err));
    }
  }

  void Drain() {
    for (;;) {
      const int got = avcodec_receive_packet(encoder.get(), packet.get());
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
      if (got < 0) WriteError(path, "encoding failed: " + AvError(got));
      av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
      packet->stream_index = stream->index;
      Mux(packet.get());
    }
  }

  /// Copies audio packets that start before `until` (output time, in the settings' time
  /// base), or all that are left when `until` is null.
  void CopyAudio(const std::int64_t *until) {
    while (!audio_done) {
      if (!audio_pending) {
        const int read = av_read_frame(audio_input.get(), audio_packet.get());
        if (read == AVERROR_EOF) {
          audio_done = true;
          return;
        }
        if (read < 0) ReadError(settings.audio_from, AvError(read));
        const int index = audio_packet->stream_index;
        if (index >= static_cast<int>(audio_map.size()) || audio_map[index] < 0 ||
            audio_packet->pts == AV_NOPTS_VALUE) {
          av_packet_unref(audio_packet.get());
          continue;
        }
        audio_pending = true;
      }
      AVPacket *p = audio_packet.get();
      const AVRational in_base = audio_input->streams[p->stream_index]->time_base;
      if (until && av_compare_ts(p->pts, in_base, *until + shift, settings.time_base) >= 0) return;
      audio_pending = false;
      if (settings.trim) {
        const std::int64_t start = av_rescale_q(settings.start, settings.time_base, in_base);
        // A packet that starts before the part would start the sound before the picture.
        if (p->pts < start) {
          av_packet_unref(p);
          continue;
        }
        p->pts -= start;
        if (p->dts != AV_NOPTS_VALUE) p->dts -= start;
      }
      AVStream *out = output->streams[audio_map[p->stream_index]];
      av_packet_rescale_ts(p, in_base, out->time_base);
      p->stream_index = out->index;
      p->pos = -1;
      Mux(p);
    }
  }
};

MovieWriter::MovieWriter(PendingFile &file, const MovieOutput &settings, int width, int height,
                         Depth depth)
    : state_(std::make_unique<State>()) {
  QuietLibraries();
  State &s = *state_;
  s.path = file.path();
  s.settings = settings;
  if (settings.trim) s.shift = settings.start;
  if (!s.packet || !s.audio_packet) throw std::bad_alloc();
  const Codec &codec = ChooseCodec(s.path, settings.codec, settings.alpha);
  const AVPixelFormat format = s.PixelFormat(codec, depth, width, height);
  s.OpenContainer();
  s.OpenEncoder(codec, format, width, height);
  s.AddVideoStream();
  s.AddAudioStreams();
  file.Opening([&](const std::string &temp) { s.WriteHeader(temp); });
  s.PrepareFrames(format, width, height);
}

MovieWriter::~MovieWriter() = default;

void MovieWriter::Write(const World &world, std::int64_t pts) {
  State &s = *state_;
  if (world.width() != s.encoder->width || world.height() != s.encoder->height) {
    WriteError(s.path, "a frame of " + std::to_string(world.width()) + "x" +
                           std::to_string(world.height()) + " in a movie of " +
                           std::to_string(s.encoder->width) + "x" +
                           std::to_string(s.encoder->height));
  }
  const std::int64_t out_pts = pts - s.shift;
  s.CopyAudio(&out_pts);
  if (av_frame_make_writable(s.frame.get()) < 0) throw std::bad_alloc();
  if (s.staging) {
    if (av_frame_make_writable(s.staging.get()) < 0) throw std::bad_alloc();
    CopyWorldToFrame(world, LayoutOf(static_cast<AVPixelFormat>(s.staging->format)), *s.staging);
    sws_scale(s.scaler.get(), s.staging->data, s.staging->linesize, 0, world.height(),
              s.frame->data, s.frame->linesize);
  } else {
    CopyWorldToFrame(world, LayoutOf(static_cast<AVPixelFormat>(s.frame->format)), *s.frame);
  }
  s.frame->pts = out_pts;
  if (const int err = avcodec_send_frame(s.encoder.get(), s.frame.get()); err < 0) {
    WriteError(s.path, "encoding failed: " + AvError(err));
  }
  s.Drain();
}

void MovieWriter::Finish(std::int64_t end) {
  State &s = *state_;
  avcodec_send_frame(s.encoder.get(), nullptr);
  s.Drain();
  const std::int64_t until = end - s.shift;
  s.CopyAudio(s.settings.trim ? &until : nullptr);
  if (const int err = av_write_trailer(s.output.get()); err < 0) WriteError(s.path, AvError(err));
  if (s.output->pb) {
    avio_flush(s.output->pb);
    const int error = s.output->pb->error;
    if (const int err = avio_closep(&s.output->pb); err < 0 || error < 0) {
      WriteError(s.path, AvError(error < 0 ? error : err));
    }
  }
}

}  // namespace huewarp::tool
