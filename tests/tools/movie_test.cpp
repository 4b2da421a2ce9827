// Movies through the huewarp tool: the tests make their clips with the ffmpeg program from
// numbered PNG frames (a moving pattern) and a sine-wave track, render them, and read the
// results back with ffprobe, ffmpeg and OpenImageIO. A lossless output must hold exactly what
// the image path renders.
#include "tool_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

namespace {

namespace fs = std::filesystem;
using huewarp::test::ExpectOneLineFailure;
using huewarp::test::Lines;
using huewarp::test::Outcome;

struct ClipShape {
  int frames = 4;
  int rate_num = 30, rate_den = 1;
  bool wide = false;  ///< 16-bit RGBA instead of 8-bit.
  bool audio = true;  ///< A 440 Hz sine, 16-bit PCM at 48 kHz, as long as the video.
  bool video = true;
  int width = 48, height = 32;

  std::string Rate() const { return std::to_string(rate_num) + "/" + std::to_string(rate_den); }
  double Seconds() const { return static_cast<double>(frames) * rate_den / rate_num; }
};

/// RGBA codes of frame `f` at 8 or 16 bits: every channel moves from frame to frame, and alpha
/// takes many values so that straight colour and alpha both have to survive.
std::vector<std::uint16_t> Pattern(int f, const ClipShape &clip) {
  std::vector<std::uint16_t> codes;
  const std::uint32_t mask = clip.wide ? 65535 : 255;
  const std::uint32_t k = clip.wide ? 257 * 3 + 7 : 1;  // odd steps reach codes 255 cannot
  for (int y = 0; y < clip.height; ++y) {
    for (int x = 0; x < clip.width; ++x) {
      codes.push_back(((x * 37 + f * 11) * k) & mask);
      codes.push_back(((y * 53 + x * 3 + f * 29) * k) & mask);
      codes.push_back(((x * y + f * 7) * k) & mask);
      codes.push_back(mask - ((x + y * 5) * k & (mask >> 1)));
    }
  }
  return codes;
}

/// Pixels of a PNG as 16-bit codes, straight alpha kept straight.
std::vector<std::uint16_t> ReadPng(const fs::path &path) {
  OIIO::ImageSpec straight;
  straight.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path.string(), &straight);
  EXPECT_TRUE(in) << path;
  if (!in) return {};
  std::vector<std::uint16_t> codes(in->spec().image_pixels() * 4);
  in->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT16, codes.data());
  return codes;
}

/// What a movie holds, as ffprobe sees it.
struct Probe {
  std::string codec, pixel_format, rate;
  int width = 0, height = 0, frames = 0, audio_streams = 0;
  double seconds = 0;        ///< The video's length: last timestamp plus one frame.
  double audio_seconds = 0;  ///< The sum of the audio packets' durations.
};

class MovieTest : public huewarp::test::ToolTest {
 protected:
  /// Runs a shell command in the test's folder; its standard output, and a failure if it fails.
  std::string Run(const std::string &command) {
    std::string out;
    FILE *pipe = popen(("cd '" + dir_.string() + "' && " + command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command << "\n" << out;
    return out;
  }

  /// The clip's frames as in.N.png, and (with video) a lossless FFV1 clip of them in
  /// QuickTime, which keeps the rate's own time base (1/30000 for 29.97).
  void MakeClip(const std::string &name, const ClipShape &clip) {
    for (int f = 0; f < clip.frames; ++f) {
      const auto codes = Pattern(f, clip);
      const fs::path path = Path("in." + std::to_string(f) + ".png");
      auto out = OIIO::ImageOutput::create(path.string());
      OIIO::ImageSpec header(clip.width, clip.height, 4,
                             clip.wide ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UINT8);
      header.attribute("oiio:UnassociatedAlpha", 1);
      ASSERT_TRUE(out->open(path.string(), header));
      const std::vector<std::uint8_t> bytes(codes.begin(), codes.end());
      ASSERT_TRUE(clip.wide ? out->write_image(OIIO::TypeDesc::UINT16, codes.data())
                            : out->write_image(OIIO::TypeDesc::UINT8, bytes.data()));
      ASSERT_TRUE(out->close());
    }
    if (name.empty()) return;
    std::string command = "ffmpeg -v error -y";
    if (clip.video) command += " -framerate " + clip.Rate() + " -start_number 0 -i in.%d.png";
    if (clip.audio) {
      command += " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" +
                 std::to_string(clip.Seconds());
    }
    if (clip.video) {
      command += clip.wide ? " -c:v ffv1 -pix_fmt gbrap16le" : " -c:v ffv1 -pix_fmt bgra";
      command += " -frames:v " + std::to_string(clip.frames);
    }
    if (clip.audio) command += " -c:a pcm_s16le";
    Run(command + " " + name);
  }

  /// ffprobe's compact records of `entries`, one a line: "kind|key=value|...".
  std::vector<std::map<std::string, std::string>> Records(const std::string &name,
                                                          const std::string &entries) {
    std::istringstream lines(
        Run("ffprobe -v error -count_frames -of compact -show_entries " + entries + " " + name));
    std::vector<std::map<std::string, std::string>> records;
    for (std::string line; std::getline(lines, line);) {
      std::map<std::string, std::string> &record = records.emplace_back();
      std::istringstream fields(line);
      for (std::string field; std::getline(fields, field, '|');) {
        const auto eq = field.find('=');
        record[eq == std::string::npos ? "kind" : field.substr(0, eq)] = field.substr(eq + 1);
      }
    }
    return records;
  }

  Probe ProbeMovie(const std::string &name) {
    Probe probe;
    std::map<std::string, std::string> types;  // stream index to codec type
    for (auto &s : Records(name,
                           "stream=index,codec_type,codec_name,pix_fmt,width,height,"
                           "avg_frame_rate,nb_read_frames")) {
      types[s["index"]] = s["codec_type"];
      probe.audio_streams += s["codec_type"] == "audio";
      if (s["codec_type"] != "video") continue;
      probe.codec = s["codec_name"];
      probe.pixel_format = s["pix_fmt"];
      probe.rate = s["avg_frame_rate"];
      probe.width = std::stoi(s["width"]);
      probe.height = std::stoi(s["height"]);
      probe.frames = std::stoi(s["nb_read_frames"]);
    }
    double last = 0;
    for (auto &p : Records(name, "packet=stream_index,pts_time,duration_time")) {
      if (types[p["stream_index"]] == "video") last = std::max(last, std::stod(p["pts_time"]));
      if (types[p["stream_index"]] == "audio") probe.audio_seconds += std::stod(p["duration_time"]);
    }
    const std::size_t slash = probe.rate.find('/');
    probe.seconds =
        last + std::stod(probe.rate.substr(slash + 1)) / std::stod(probe.rate.substr(0, slash));
    return probe;
  }

  /// ffmpeg's checksum of a movie's streams: `how` maps them and chooses md5 (the bits) or
  /// framemd5 (every frame's or packet's time too).
  std::string Hash(const std::string &name, const std::string &how) {
    return Run("ffmpeg -v error -i " + name + " " + how + " -");
  }
};

// A lossless movie render holds exactly what rendering the same frames as images gives, at both
// depths, with keyframes in seconds landing on the same frames at 29.97 as at 30.

struct ExactCase {
  const char *name;
  ClipShape clip;
};

void PrintTo(const ExactCase &c, std::ostream *os) { *os << c.name; }

class LosslessOutput : public MovieTest, public ::testing::WithParamInterface<ExactCase> {};

TEST_P(LosslessOutput, EqualsTheImageRenderOfTheSameFrames) {
  const ClipShape &clip = GetParam().clip;
  MakeClip("in.mov", clip);
  const std::vector<std::string> look = {"--set",    "Input Range=Hue",
                                         "--key",    "Input Range Offset@0s=0",
                                         "--key",    "Input Range Offset@0.1s=250",
                                         "--alphas", "0:100,100:30"};
  std::vector<std::string> movie = {"render", "in.mov", "out.mkv", "--jobs", "2"};
  std::vector<std::string> images = {"render", "in.#.png", "out.#.png", "--frames",
                                     "0-4",    "--fps",    clip.Rate()};
  movie.insert(movie.end(), look.begin(), look.end());
  images.insert(images.end(), look.begin(), look.end());
  const Outcome r = Huewarp(movie);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(Huewarp(images).status, 0);

  EXPECT_EQ(ProbeMovie("out.mkv").pixel_format, clip.wide ? "gbrap16le" : "bgra");
  Run(std::string("ffmpeg -v error -i out.mkv -start_number 0 -pix_fmt ") +
      (clip.wide ? "rgba64be" : "rgba") + " decoded.%d.png");
  for (int f = 0; f < 5; ++f) {
    const std::string n = std::to_string(f);
    EXPECT_EQ(ReadPng(Path("decoded." + n + ".png")), ReadPng(Path("out." + n + ".png")))
        << "frame " << f;
  }
  // The look moves: frames differ from each other.
  EXPECT_NE(ReadPng(Path("out.1.png")), ReadPng(Path("out.3.png")));
}

INSTANTIATE_TEST_SUITE_P(Depths, LosslessOutput,
                         ::testing::Values(ExactCase{"EightBitAt30", {5, 30, 1, false}},
                                           ExactCase{"SixteenBitAt2997", {5, 30000, 1001, true}}),
                         [](const auto &info) { return std::string(info.param.name); });

// What a render keeps of the source: frame count, size, rate, length and sound, and the picture
// format each output codec is expected to have.

struct KeepCase {
  const char *name;
  ClipShape clip;
  std::vector<std::string> args;  ///< After "render in.mov".
  const char *output;
  const char *codec, *pixel_format;
  int frames;
  bool keeps_audio;
};

void PrintTo(const KeepCase &c, std::ostream *os) { *os << c.name; }

class Outputs : public MovieTest, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(Outputs, KeepTheClipsSizeRateLengthAndSound) {
  const KeepCase &c = GetParam();
  MakeClip("in.mov", c.clip);
  std::vector<std::string> args = {"render", "in.mov"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const Outcome r = Huewarp(args);
  ASSERT_EQ(r.status, 0) << r.err;
  // A line per frame in a log, and one more when the size changes the picture format.
  const bool odd = c.clip.width % 2 || c.clip.height % 2;
  EXPECT_EQ(Lines(r.err).size(),
            static_cast<size_t>(c.frames + (odd && std::string(c.codec) == "h264")));

  const Probe out = ProbeMovie(c.output);
  EXPECT_EQ(out.codec, c.codec);
  EXPECT_EQ(out.pixel_format, c.pixel_format);
  EXPECT_EQ(out.width, c.clip.width);
  EXPECT_EQ(out.height, c.clip.height);
  EXPECT_EQ(out.frames, c.frames);
  EXPECT_EQ(out.rate, c.clip.Rate());
  const double frame = static_cast<double>(c.clip.rate_den) / c.clip.rate_num;
  EXPECT_NEAR(out.seconds, c.frames * frame, 0.002);
  EXPECT_EQ(out.audio_streams, c.keeps_audio ? 1 : 0);
  if (c.keeps_audio && c.frames == c.clip.frames) {
    const char *packets = "-map 0:a -c copy -f md5";
    EXPECT_EQ(Hash(c.output, packets), Hash("in.mov", packets));  // untouched
  } else if (c.keeps_audio) {
    // A part of the clip keeps the sound of its frames.
    EXPECT_NEAR(out.audio_seconds, c.frames * frame, 1024 / 48000.0);
  }
}

constexpr ClipShape kClip{6, 30000, 1001};

INSTANTIATE_TEST_SUITE_P(
    Codecs, Outputs,
    ::testing::Values(
        KeepCase{"Ffv1", kClip, {"out.mkv"}, "out.mkv", "ffv1", "bgra", 6, true},
        // The decoder gives 4444 at 12 bits whatever it was coded from.
        KeepCase{
            "ProResKeepsAlpha", kClip, {"out.mov"}, "out.mov", "prores", "yuva444p12le", 6, true},
        KeepCase{"ProRes422WhenOpaque",
                 kClip,
                 {"out.mov", "--codec", "prores"},
                 "out.mov",
                 "prores",
                 "yuv422p10le",
                 6,
                 true},
        KeepCase{"H264",
                 {6, 30000, 1001, false, false},
                 {"out.mp4", "--crf", "23"},
                 "out.mp4",
                 "h264",
                 "yuv420p",
                 6,
                 false},
        // 4:2:0 holds no odd side: the picture stays whole in 4:4:4, and the tool says so.
        KeepCase{"H264OddSizeStaysWhole",
                 {2, 30, 1, false, false, true, 601, 401},
                 {"out.mp4"},
                 "out.mp4",
                 "h264",
                 "yuv444p",
                 2,
                 false},
        KeepCase{"PartOfTheClip",
                 kClip,
                 {"out.mkv", "--frames", "2-4"},
                 "out.mkv",
                 "ffv1",
                 "bgra",
                 3,
                 true}),
    [](const auto &info) { return std::string(info.param.name); });

// A farm renders a movie in parts on several machines and joins them without re-encoding: the
// joined parts are the whole render, picture and sound, bit for bit, and the pictures at the same
// times when each part but the last is given its length.
TEST_F(MovieTest, PartsJoinedByConcatEqualTheWholeRender) {
  MakeClip("in.mov", kClip);
  const std::vector<std::string> look = {
      "--set", "Input Range=Hue",          "--key", "Input Range Offset@0=0",
      "--key", "Input Range Offset@5=300", "-q"};
  auto render = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"render", "in.mov"});
    args.insert(args.end(), look.begin(), look.end());
    const Outcome r = Huewarp(args);
    ASSERT_EQ(r.status, 0) << r.err;
  };
  render({"whole.mov"});
  render({"part1.mov", "--frames", "0-1"});
  render({"part2.mov", "--frames", "2-5"});
  std::ofstream(Path("parts.txt")) << "file 'part1.mov'\nduration "
                                   << std::to_string(2 * 1001 / 30000.0) << "\nfile 'part2.mov'\n";
  Run("ffmpeg -v error -f concat -i parts.txt -c copy joined.mov");
  // The pictures with their times, and the sound's bits.
  for (const char *how :
       {"-map 0:v -fps_mode passthrough -f framemd5", "-map 0:a -c copy -f md5"}) {
    EXPECT_EQ(Hash("joined.mov", how), Hash("whole.mov", how)) << how;
  }
  EXPECT_EQ(ProbeMovie("joined.mov").frames, 6);
}

TEST_F(MovieTest, SequencesConvertBothWays) {
  MakeClip("", {3, 24, 1, false, false});
  Outcome r = Huewarp({"render", "in.#.png", "clip.mkv", "--frames", "0-2", "--fps", "24", "-q"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const Probe clip = ProbeMovie("clip.mkv");
  EXPECT_EQ(clip.frames, 3);
  EXPECT_EQ(clip.rate, "24/1");

  r = Huewarp({"render", "clip.mkv", "back.##.png", "--set", "Blend With Original=100", "-q"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(Path("back.02.png")));
  EXPECT_FALSE(fs::exists(Path("back.03.png")));
}

TEST_F(MovieTest, InterruptedRenderLeavesNothing) {
  MakeClip("in.mov", {60, 30, 1, true, true});
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
  if (!c.program.empty()) MakeClip("big.mov", {40, 30, 1, true, false});  // for the full disk
  MakeClip("tone.mov", {3, 30, 1, false, true, false});                   // sound alone
  MakeClip("in.mov", {3, 30, 1, false, true});
  std::ofstream(Path("notes.mp4")) << "not a movie";
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
                     {"--codec", "vp9", "ffv1"}},
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
