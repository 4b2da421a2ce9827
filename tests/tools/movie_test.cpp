// Movies through the huewarp tool: the tests make their own short clips with FFmpeg (a moving
// pattern with a sine-wave track), render them, and read the results back with FFmpeg and
// OpenImageIO. A lossless output must hold exactly what the image path renders.
#include "tool_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

namespace {

namespace fs = std::filesystem;
using huewarp::test::ExpectOneLineFailure;
using huewarp::test::Lines;
using huewarp::test::Outcome;
using MovieTest = huewarp::test::ToolTest;

constexpr int kWidth = 48, kHeight = 32;

/// RGBA codes of frame `f` at 8 or 16 bits: every channel moves from frame to frame, and alpha
/// takes many values so that straight colour and alpha both have to survive.
std::vector<std::uint16_t> Pattern(int f, bool wide) {
  std::vector<std::uint16_t> codes;
  const std::uint32_t mask = wide ? 65535 : 255;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t k = wide ? 257 * 3 + 7 : 1;  // odd steps reach codes 255 cannot
      codes.push_back(((x * 37 + f * 11) * k) & mask);
      codes.push_back(((y * 53 + x * 3 + f * 29) * k) & mask);
      codes.push_back(((x * y + f * 7) * k) & mask);
      codes.push_back(mask - ((x + y * 5) * k & (mask >> 1)));
    }
  }
  return codes;
}

struct ClipShape {
  int frames = 4;
  AVRational rate{30, 1};
  bool wide = false;  ///< 16-bit RGBA instead of 8-bit.
  bool audio = true;  ///< A 440 Hz sine, 16-bit PCM at 48 kHz, as long as the video.
  bool video = true;
};

/// Writes a lossless FFV1 clip of Pattern frames into a QuickTime file, which keeps the rate's
/// own time base (1/30000 for 29.97), so frame times are exact.
void MakeClip(const fs::path &path, const ClipShape &clip) {
  av_log_set_level(AV_LOG_ERROR);
  AVFormatContext *out = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&out, nullptr, nullptr, path.c_str()), 0);
  const AVCodec *video_codec = avcodec_find_encoder(AV_CODEC_ID_FFV1);
  AVCodecContext *video = avcodec_alloc_context3(video_codec);
  video->width = kWidth;
  video->height = kHeight;
  video->pix_fmt = clip.wide ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_BGRA;
  video->time_base = av_inv_q(clip.rate);
  video->framerate = clip.rate;
  ASSERT_GE(avcodec_open2(video, video_codec, nullptr), 0);
  AVStream *vs = nullptr;
  if (clip.video) {
    vs = avformat_new_stream(out, nullptr);
    avcodec_parameters_from_context(vs->codecpar, video);
    vs->time_base = video->time_base;
    vs->avg_frame_rate = clip.rate;
  }

  AVCodecContext *audio = nullptr;
  AVStream *as = nullptr;
  if (clip.audio) {
    const AVCodec *audio_codec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    audio = avcodec_alloc_context3(audio_codec);
    audio->sample_fmt = AV_SAMPLE_FMT_S16;
    audio->sample_rate = 48000;
    av_channel_layout_default(&audio->ch_layout, 1);
    audio->time_base = {1, 48000};
    ASSERT_GE(avcodec_open2(audio, audio_codec, nullptr), 0);
    as = avformat_new_stream(out, nullptr);
    avcodec_parameters_from_context(as->codecpar, audio);
    as->time_base = audio->time_base;
  }
  ASSERT_GE(avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
  ASSERT_GE(avformat_write_header(out, nullptr), 0);

  AVPacket *packet = av_packet_alloc();
  auto drain = [&](AVCodecContext *codec, AVStream *stream) {
    while (avcodec_receive_packet(codec, packet) == 0) {
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      ASSERT_GE(av_interleaved_write_frame(out, packet), 0);
    }
  };
  AVFrame *frame = av_frame_alloc();
  for (int f = 0; f < (clip.video ? clip.frames : 0); ++f) {
    frame->format = video->pix_fmt;
    frame->width = kWidth;
    frame->height = kHeight;
    ASSERT_GE(av_frame_get_buffer(frame, 0), 0);
    const auto codes = Pattern(f, clip.wide);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint16_t *p = &codes[(y * kWidth + x) * 4];
        if (clip.wide) {
          auto *row = reinterpret_cast<std::uint16_t *>(frame->data[0] + y * frame->linesize[0]);
          std::memcpy(row + x * 4, p, 8);
        } else {
          std::uint8_t *row = frame->data[0] + y * frame->linesize[0];
          const std::uint8_t bgra[] = {
              static_cast<std::uint8_t>(p[2]), static_cast<std::uint8_t>(p[1]),
              static_cast<std::uint8_t>(p[0]), static_cast<std::uint8_t>(p[3])};
          std::memcpy(row + x * 4, bgra, 4);
        }
      }
    }
    frame->pts = f;
    ASSERT_GE(avcodec_send_frame(video, frame), 0);
    av_frame_unref(frame);
    drain(video, vs);
  }
  if (vs) {
    avcodec_send_frame(video, nullptr);
    drain(video, vs);
  }
  if (audio) {
    const std::int64_t samples = av_rescale_q(clip.frames, av_inv_q(clip.rate), {1, 48000});
    for (std::int64_t start = 0; start < samples; start += 1024) {
      frame->format = AV_SAMPLE_FMT_S16;
      frame->nb_samples = static_cast<int>(std::min<std::int64_t>(1024, samples - start));
      av_channel_layout_default(&frame->ch_layout, 1);
      frame->sample_rate = 48000;
      ASSERT_GE(av_frame_get_buffer(frame, 0), 0);
      auto *s = reinterpret_cast<std::int16_t *>(frame->data[0]);
      for (int i = 0; i < frame->nb_samples; ++i) {
        s[i] = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * (start + i) / 48000.0));
      }
      frame->pts = start;
      ASSERT_GE(avcodec_send_frame(audio, frame), 0);
      av_frame_unref(frame);
      drain(audio, as);
    }
    avcodec_send_frame(audio, nullptr);
    drain(audio, as);
    avcodec_free_context(&audio);
  }
  ASSERT_GE(av_write_trailer(out), 0);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&video);
  avio_closep(&out->pb);
  avformat_free_context(out);
}

/// The same frames as numbered PNG files, straight alpha.
void MakeSequence(const fs::path &dir, const ClipShape &clip) {
  for (int f = 0; f < clip.frames; ++f) {
    const auto codes = Pattern(f, clip.wide);
    const fs::path path = dir / ("in." + std::to_string(f) + ".png");
    auto out = OIIO::ImageOutput::create(path.string());
    OIIO::ImageSpec header(kWidth, kHeight, 4,
                           clip.wide ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UINT8);
    header.attribute("oiio:UnassociatedAlpha", 1);
    ASSERT_TRUE(out->open(path.string(), header));
    std::vector<std::uint8_t> bytes(codes.begin(), codes.end());
    ASSERT_TRUE(clip.wide ? out->write_image(OIIO::TypeDesc::UINT16, codes.data())
                          : out->write_image(OIIO::TypeDesc::UINT8, bytes.data()));
    ASSERT_TRUE(out->close());
  }
}

/// What a movie holds, as a player sees it.
struct Probe {
  int width = 0, height = 0;
  std::string pixel_format, codec;
  AVRational rate{0, 1};
  int frames = 0;
  double seconds = 0;  ///< The video's length: last timestamp plus one frame.
  std::vector<std::vector<std::uint16_t>> pixels;  ///< RGBA codes, for planar RGB formats.
  int audio_streams = 0;
  std::vector<std::uint8_t> audio;  ///< Every audio packet's bytes, in order.
};

Probe ProbeMovie(const fs::path &path) {
  Probe probe;
  AVFormatContext *in = nullptr;
  EXPECT_GE(avformat_open_input(&in, path.c_str(), nullptr, nullptr), 0) << path;
  if (!in) return probe;
  avformat_find_stream_info(in, nullptr);
  const int index = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  EXPECT_GE(index, 0);
  AVStream *vs = in->streams[index];
  const AVCodec *codec = avcodec_find_decoder(vs->codecpar->codec_id);
  AVCodecContext *decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, vs->codecpar);
  avcodec_open2(decoder, codec, nullptr);
  probe.codec = codec->name;
  probe.rate = vs->avg_frame_rate;
  for (unsigned i = 0; i < in->nb_streams; ++i) {
    probe.audio_streams += in->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
  }
  AVPacket *packet = av_packet_alloc();
  AVFrame *frame = av_frame_alloc();
  std::int64_t last = 0;
  auto receive = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      ++probe.frames;
      last = std::max(last, frame->best_effort_timestamp);
      probe.width = frame->width;
      probe.height = frame->height;
      const auto format = static_cast<AVPixelFormat>(frame->format);
      probe.pixel_format = av_get_pix_fmt_name(format);
      // FFV1 outputs: packed BGR(A) at 8 bits, planar GBR(A) at 16.
      const bool wide = format == AV_PIX_FMT_GBRP16LE || format == AV_PIX_FMT_GBRAP16LE;
      const bool packed = format == AV_PIX_FMT_BGRA || format == AV_PIX_FMT_BGR0;
      const bool alpha = format == AV_PIX_FMT_BGRA || format == AV_PIX_FMT_GBRAP16LE;
      if (wide || packed) {
        std::vector<std::uint16_t> codes;
        for (int y = 0; y < frame->height; ++y) {
          for (int x = 0; x < frame->width; ++x) {
            for (int c = 0; c < 4; ++c) {  // R, G, B, A
              if (c == 3 && !alpha) {
                codes.push_back(wide ? 65535 : 255);
              } else if (packed) {
                codes.push_back(
                    frame->data[0][y * frame->linesize[0] + x * 4 + (c == 3 ? 3 : 2 - c)]);
              } else {
                const int plane = c == 0 ? 2 : c == 1 ? 0 : c == 2 ? 1 : 3;  // G, B, R, A planes
                codes.push_back(reinterpret_cast<const std::uint16_t *>(
                    frame->data[plane] + y * frame->linesize[plane])[x]);
              }
            }
          }
        }
        probe.pixels.push_back(std::move(codes));
      }
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(in, packet) >= 0) {
    if (packet->stream_index == index) {
      avcodec_send_packet(decoder, packet);
      receive();
    } else if (in->streams[packet->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
      probe.audio.insert(probe.audio.end(), packet->data, packet->data + packet->size);
    }
    av_packet_unref(packet);
  }
  avcodec_send_packet(decoder, nullptr);
  receive();
  probe.seconds =
      av_q2d(vs->time_base) * last + (probe.rate.num ? av_q2d(av_inv_q(probe.rate)) : 0);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&in);
  return probe;
}

// A lossless movie render holds exactly what rendering the same frames as images gives, at both
// depths, with keyframes in seconds landing on the same frames at 29.97 as at 30.

struct ExactCase {
  const char *name;
  bool wide;
  AVRational rate;
  const char *fps;
};

void PrintTo(const ExactCase &c, std::ostream *os) { *os << c.name; }

class LosslessOutput : public MovieTest, public ::testing::WithParamInterface<ExactCase> {};

TEST_P(LosslessOutput, EqualsTheImageRenderOfTheSameFrames) {
  const ExactCase &c = GetParam();
  const ClipShape clip{5, c.rate, c.wide, true};
  MakeClip(Path("in.mov"), clip);
  MakeSequence(dir_, clip);
  const std::vector<std::string> look = {"--set",    "Input Range=Hue",
                                         "--key",    "Input Range Offset@0s=0",
                                         "--key",    "Input Range Offset@0.1s=250",
                                         "--alphas", "0:100,100:30"};
  std::vector<std::string> movie = {"render", "in.mov", "out.mkv", "--jobs", "2"};
  std::vector<std::string> images = {"render", "in.#.png", "out.#.png", "--frames",
                                     "0-4",    "--fps",    c.fps};
  movie.insert(movie.end(), look.begin(), look.end());
  images.insert(images.end(), look.begin(), look.end());
  const Outcome r = Huewarp(movie);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Huewarp(images).status, 0);

  const Probe probe = ProbeMovie(Path("out.mkv"));
  EXPECT_EQ(probe.pixel_format, c.wide ? "gbrap16le" : "bgra");
  ASSERT_EQ(probe.pixels.size(), 5u);
  for (int f = 0; f < 5; ++f) {
    OIIO::ImageSpec straight;
    straight.attribute("oiio:UnassociatedAlpha", 1);
    auto png =
        OIIO::ImageInput::open(Path("out." + std::to_string(f) + ".png").string(), &straight);
    ASSERT_TRUE(png);
    std::vector<std::uint16_t> expected(kWidth * kHeight * 4);
    if (c.wide) {
      png->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT16, expected.data());
    } else {
      std::vector<std::uint8_t> bytes(expected.size());
      png->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT8, bytes.data());
      expected.assign(bytes.begin(), bytes.end());
    }
    EXPECT_EQ(probe.pixels[f], expected) << "frame " << f;
  }
  // The look moves: frames differ from each other.
  EXPECT_NE(probe.pixels[1], probe.pixels[3]);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, LosslessOutput,
    ::testing::Values(ExactCase{"EightBitAt30", false, {30, 1}, "30"},
                      ExactCase{"SixteenBitAt2997", true, {30000, 1001}, "30000/1001"}),
    [](const auto &info) { return std::string(info.param.name); });

// What a render keeps of the source: frame count, rate, length and sound, and the picture format
// each output codec is expected to have.

struct KeepCase {
  const char *name;
  bool audio;
  std::vector<std::string> args;  ///< After "render in.mov".
  const char *output;
  const char *codec, *pixel_format;
  int frames;
  bool keeps_audio;
};

void PrintTo(const KeepCase &c, std::ostream *os) { *os << c.name; }

class Outputs : public MovieTest, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(Outputs, KeepTheClipsRateLengthAndSound) {
  const KeepCase &c = GetParam();
  const ClipShape clip{6, {30000, 1001}, false, c.audio};
  MakeClip(Path("in.mov"), clip);
  std::vector<std::string> args = {"render", "in.mov"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const Outcome r = Huewarp(args);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.err).size(), static_cast<size_t>(c.frames)) << "a line per frame in a log";

  const Probe source = ProbeMovie(Path("in.mov"));
  const Probe out = ProbeMovie(Path(c.output));
  EXPECT_EQ(out.codec, c.codec);
  EXPECT_EQ(out.pixel_format, c.pixel_format);
  EXPECT_EQ(out.width, kWidth);
  EXPECT_EQ(out.height, kHeight);
  EXPECT_EQ(out.frames, c.frames);
  EXPECT_EQ(av_cmp_q(out.rate, AVRational{30000, 1001}), 0) << out.rate.num << "/" << out.rate.den;
  EXPECT_NEAR(out.seconds, c.frames * 1001 / 30000.0, 0.002);
  if (c.keeps_audio && c.frames == source.frames) {
    EXPECT_EQ(out.audio_streams, 1);
    EXPECT_EQ(out.audio, source.audio);  // untouched, packet for packet
  } else if (c.keeps_audio) {
    // A part of the clip keeps the sound of its frames.
    EXPECT_EQ(out.audio_streams, 1);
    EXPECT_NEAR(static_cast<double>(out.audio.size()) / 2 / 48000.0, c.frames * 1001 / 30000.0,
                1024 / 48000.0);
  } else {
    EXPECT_EQ(out.audio_streams, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, Outputs,
    ::testing::Values(
        KeepCase{"Ffv1", true, {"out.mkv"}, "out.mkv", "ffv1", "bgra", 6, true},
        // The decoder gives 4444 at 12 bits whatever it was coded from.
        KeepCase{
            "ProResKeepsAlpha", true, {"out.mov"}, "out.mov", "prores", "yuva444p12le", 6, true},
        KeepCase{"ProRes422WhenOpaque",
                 true,
                 {"out.mov", "--codec", "prores"},
                 "out.mov",
                 "prores",
                 "yuv422p10le",
                 6,
                 true},
        KeepCase{"H264", false, {"out.mp4", "--crf", "23"}, "out.mp4", "h264", "yuv420p", 6, false},
        KeepCase{"PartOfTheClip",
                 true,
                 {"out.mkv", "--frames", "2-4"},
                 "out.mkv",
                 "ffv1",
                 "bgra",
                 3,
                 true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(MovieTest, SequencesConvertBothWays) {
  const ClipShape shape{3, {24, 1}, false, false};
  MakeSequence(dir_, shape);
  Outcome r = Huewarp({"render", "in.#.png", "clip.mkv", "--frames", "0-2", "--fps", "24", "-q"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const Probe clip = ProbeMovie(Path("clip.mkv"));
  EXPECT_EQ(clip.frames, 3);
  EXPECT_EQ(av_cmp_q(clip.rate, AVRational{24, 1}), 0);

  r = Huewarp({"render", "clip.mkv", "back.##.png", "--set", "Blend With Original=100", "-q"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(Path("back.02.png")));
  EXPECT_FALSE(fs::exists(Path("back.03.png")));
}

TEST_F(MovieTest, InterruptedRenderLeavesNothing) {
  MakeClip(Path("in.mov"), {60, {30, 1}, true, true});
  const auto before = Files();
  const pid_t pid = huewarp::test::StartTool(dir_, {"render", "in.mov", "out.mkv", "--jobs", "1"});
  ASSERT_NE(pid, 0);
  // The movie is being written once its temporary file has more than a header.
  auto writing = [&] {
    for (const auto &entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(".huewarp-", 0) == 0 && entry.file_size() > 4096) return true;
    }
    return false;
  };
  for (int i = 0; i < 3000 && !writing(); ++i) usleep(10000);
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(Files(), before);
}

// Failures: one line naming the file or option, and nothing left behind.

struct MovieFailure {
  const char *name;
  std::vector<std::string> args;
  std::vector<std::string> message_parts;
  std::string program;  ///< A wrapper such as prlimit; empty runs the tool directly.
};

void PrintTo(const MovieFailure &c, std::ostream *os) { *os << c.name; }

class MovieFailures : public MovieTest, public ::testing::WithParamInterface<MovieFailure> {};

TEST_P(MovieFailures, OneLineAndNoOutput) {
  const MovieFailure &c = GetParam();
  MakeClip(Path("in.mov"), {3, {30, 1}, false, true});
  MakeClip(Path("big.mov"), {40, {30, 1}, true, false});
  MakeSequence(dir_, {1, {30, 1}, false, false});
  std::ofstream(Path("notes.mp4")) << "not a movie";
  MakeClip(Path("tone.mov"), {3, {30, 1}, false, true, false});  // sound alone
  const auto before = Files();
  std::vector<std::string> args = c.args;
  if (!c.program.empty()) args.insert(args.begin() + 1, HUEWARP_TOOL_PATH);  // after its option
  ExpectOneLineFailure(huewarp::test::RunTool(dir_, args, {}, c.program), c.message_parts);
  EXPECT_EQ(Files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovieFailures,
    ::testing::Values(
        MovieFailure{
            "NoVideoStream", {"render", "tone.mov", "out.mkv"}, {"'tone.mov'", "no video"}},
        MovieFailure{"NotAMovie", {"render", "notes.mp4", "out.mkv"}, {"cannot read 'notes.mp4'"}},
        MovieFailure{"MissingMovie",
                     {"render", "missing.mov", "out.mkv"},
                     {"cannot read 'missing.mov'", "No such file"}},
        MovieFailure{"UnknownCodec",
                     {"render", "in.mov", "out.mkv", "--codec", "vp9"},
                     {"--codec", "'vp9'"}},
        MovieFailure{"CodecTheContainerCannotHold",
                     {"render", "in.mov", "out.mp4", "--codec", "ffv1"},
                     {"cannot write 'out.mp4'", "FFV1"}},
        MovieFailure{"SoundTheContainerCannotHold",
                     {"render", "in.mov", "out.mp4"},
                     {"cannot write 'out.mp4'", "pcm_s16le"}},
        MovieFailure{"FramesBeyondTheEnd",
                     {"render", "in.mov", "out.mkv", "--frames", "1-5", "-q"},
                     {"'in.mov'", "0 to 2"}},
        MovieFailure{"StillWithoutFrames", {"render", "in.0.png", "out.mkv"}, {"--frames"}},
        // The file-size limit stands in for a disk that fills up during the write.
        MovieFailure{"DiskFullDuringTheWrite",
                     {"--fsize=20000", "render", "big.mov", "out.mkv", "--jobs", "1", "-q"},
                     {"cannot write 'out.mkv'"},
                     "prlimit"}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
