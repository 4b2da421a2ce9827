// The huewarp tool end to end: one process per case, run as a user runs it, with the images it
// writes read back through OpenImageIO. Failures must say what is wrong in one line and leave no
// output file behind; successes must keep every bit the effect computed.
#include "tool_process.h"

#include <gtest/gtest.h>

#include <csignal>

#include <OpenImageIO/imageio.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using huewarp::test::ExpectOneLineFailure;
using huewarp::test::Lines;
using huewarp::test::Outcome;
using CliTest = huewarp::test::ToolTest;

struct Image {
  OIIO::ImageSpec header;
  std::vector<float> pixels;  ///< As stored, converted to float without changing values.
};

template <class T>
void WriteImage(const fs::path &path, int width, int height, int channels,
                const OIIO::TypeDesc &type, const std::vector<T> &data, bool straight_alpha) {
  auto out = OIIO::ImageOutput::create(path.string());
  ASSERT_TRUE(out);
  OIIO::ImageSpec header(width, height, channels, type);
  if (straight_alpha) header.attribute("oiio:UnassociatedAlpha", 1);
  ASSERT_TRUE(out->open(path.string(), header)) << out->geterror();
  ASSERT_TRUE(out->write_image(OIIO::BaseTypeFromC<T>::value, data.data()));
  ASSERT_TRUE(out->close());
}

/// Pixels exactly as the file holds them (straight alpha kept straight), in `type`.
template <class T>
std::vector<T> ReadPixels(const fs::path &path, OIIO::ImageSpec *header = nullptr) {
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path.string(), &config);
  EXPECT_TRUE(in) << OIIO::geterror();
  if (!in) return {};
  if (header) *header = in->spec();
  std::vector<T> data(static_cast<size_t>(in->spec().image_pixels()) * in->spec().nchannels);
  EXPECT_TRUE(
      in->read_image(0, 0, 0, in->spec().nchannels, OIIO::BaseTypeFromC<T>::value, data.data()));
  return data;
}

/// A PNG whose header claims `width` x `height` RGBA pixels, with no pixels behind it.
std::string PngHeaderClaiming(std::uint32_t width, std::uint32_t height) {
  auto be32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
  };
  auto crc = [](const std::string &bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
      c ^= b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
  };
  auto chunk = [&](const std::string &type, const std::string &data) {
    return be32(static_cast<std::uint32_t>(data.size())) + type + data + be32(crc(type + data));
  };
  const std::string ihdr = be32(width) + be32(height) + std::string("\x08\x06\0\0\0", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) +
         chunk("IDAT", std::string("\x78\x9c\x03\0\0\0\0\x01", 8)) + chunk("IEND", "");
}

std::string Repeated(const std::string &piece, int times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

std::string ProjectOf(const std::string &parameters) {
  return R"({"huewarp_project": 1, "effect": "QuillmereHuewarp", "parameters": )" + parameters +
         "}";
}

// Refusals: exit status 1, one line naming the culprit, and nothing left in the folder but the
// inputs. Hostile files (headers that claim more pixels than anyone should allocate, projects
// built to exhaust the loader) are refused before the damage is done.

struct Refusal {
  const char *name;
  std::vector<std::string> args;
  std::vector<std::string> message_parts;
  const char *file = nullptr;  ///< Written first with `content`.
  std::string (*content)() = nullptr;
};

void PrintTo(const Refusal &c, std::ostream *os) { *os << c.name; }

class Refusals : public CliTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, OneLineNamingTheCulpritAndNoOutput) {
  const Refusal &c = GetParam();
  ASSERT_EQ(Huewarp({"chart", "in.png", "--size", "32x16"}).status, 0);
  fs::create_directory(Path("folder"));
  if (c.file) std::ofstream(Path(c.file), std::ios::binary) << c.content();
  const auto before = Files();

  const Outcome r = Huewarp(c.args);
  ExpectOneLineFailure(r, c.message_parts);
  EXPECT_EQ(r.err.rfind("huewarp: ", 0), 0u) << r.err;
  EXPECT_EQ(Files(), before);
}

const std::vector<std::string> kRender = {"render", "in.png", "out.png"};

std::vector<std::string> Render(std::vector<std::string> more) {
  std::vector<std::string> args = kRender;
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusals,
    ::testing::Values(
        // The command line.
        Refusal{"MissingOutput",
                {"render", "in.png"},
                {"OUT is required", "try 'huewarp render --help'"}},
        Refusal{"HelpForAnUnknownCommand", {"help", "paint"}, {"no command 'paint'"}},
        Refusal{"GradientToleranceOutOfRange",
                Render({"--gradient", "grey", "--gradient-tolerance", "0"}),
                {"--gradient-tolerance", "0.01 to 64"}},
        Refusal{"ChartSizeOutOfRange",
                {"chart", "c.png", "--size", "10x10"},
                {"'10x10'", "16 to 16384"}},
        Refusal{"ZeroFrameStep",
                Render({"--frames", "1-3,7-20:0"}),
                {"'7-20:0' in '1-3,7-20:0'", "A-B:S"}},
        Refusal{"SequenceWithoutPattern",
                Render({"--frames", "0-2"}),
                {"'out.png'", "frame-number pattern"}},
        // Files.
        Refusal{"MissingInput",
                {"render", "missing.png", "out.png"},
                {"cannot read 'missing.png'", "No such file"}},
        Refusal{"InputNotAnImage",
                {"render", "notes.png", "out.png"},
                {"'notes.png'"},
                "notes.png",
                [] { return std::string("not an image"); }},
        Refusal{"MissingOutputFolder",
                {"render", "in.png", "nowhere/out.png"},
                {"cannot write 'nowhere/out.png'"}},
        Refusal{
            "OutputIsAFolder", {"render", "in.png", "folder"}, {"cannot write 'folder'", "folder"}},
        Refusal{"HugePngHeader",
                {"render", "huge.png", "out.png"},
                {"cannot read 'huge.png'", "100000 x 100000", "--max-pixels"},
                "huge.png",
                [] { return PngHeaderClaiming(100000, 100000); }},
        Refusal{"WiderThanAHostFrame",
                {"render", "wide.png", "out.png", "--max-pixels", "900000000"},
                {"cannot read 'wide.png'", "40000 x 100", "30000 a side"},
                "wide.png",
                [] { return PngHeaderClaiming(40000, 100); }},
        Refusal{"ImageAboveALoweredLimit",
                {"render", "small.png", "out.png", "--max-pixels", "4000"},
                {"64 x 64", "limit of 4000"},
                "small.png",
                [] { return PngHeaderClaiming(64, 64); }},
        // Parameters and gradients.
        Refusal{"UnknownParameter",
                Render({"--set", "Cycle Speed=2"}),
                {"unknown parameter 'Cycle Speed'"}},
        Refusal{"UnknownPopupText",
                Render({"--set", "Values Over 1=Wrap"}),
                {"'Wrap' is not a choice", "'Clamp', 'Wrap Back To 0', 'Bounce'"}},
        Refusal{"ValueAboveRange",
                Render({"--set", "Cycle Scale=20.5"}),
                {"Cycle Scale", "0.01 to 20"}},
        Refusal{"BadCheckbox", Render({"--set", "Smooth Wrap=yes"}), {"'yes'", "on, off"}},
        Refusal{"KeyframeOnFixedParameter",
                Render({"--key", "Lock Alpha Handles@1=off"}),
                {"'Lock Alpha Handles' cannot be keyframed"}},
        Refusal{"StopOutOfRange", Render({"--stops", "0:#000000,101:#ffffff"}), {"'101'"}},
        Refusal{"HostFaultInEditorDraw",
                {"editor", "editor.png", "--fault", "GetSurface"},
                {"cannot draw the editor into 'editor.png'"}},
        // Projects.
        Refusal{"ProjectValueOutOfRange",
                Render({"--project", "wide.json"}),
                {"'wide.json'", "'Cycle Scale'", "0.01 to 20"},
                "wide.json",
                [] { return ProjectOf(R"([{"id": 11, "value": 50}])"); }},
        Refusal{"ProjectWithAMillionStops",
                Render({"--project", "million.json"}),
                {"'million.json'", "1000000 parameters"},
                "million.json",
                [] {
                  return ProjectOf("[" + Repeated(R"({"id": 16, "value": 50},)", 999999) +
                                   R"({"id": 16, "value": 50}])");
                }},
        Refusal{"ProjectNestedDeep",
                Render({"--project", "deep.json"}),
                {"'deep.json'", "nested more than"},
                "deep.json",
                [] { return ProjectOf(Repeated("[", 100000) + Repeated("]", 100000)); }},
        Refusal{"ProjectIdOfTheWrongType",
                Render({"--project", "types.json"}),
                {"'types.json'", "id is string, not an integer"},
                "types.json",
                [] { return ProjectOf(R"([{"id": "2", "value": 3}])"); }},
        Refusal{
            "ProjectKeyframeTimeOfTheWrongType",
            Render({"--project", "types.json"}),
            {"'types.json'", "keyframe time is number"},
            "types.json",
            [] {
              return ProjectOf(
                  R"([{"id": 3, "value": "Clamp", "keyframes": [{"time": 5, "value": "Bounce"}]}])");
            }}),
    [](const auto &info) { return std::string(info.param.name); });

// --version, and help for the tool and for each command, on standard output.
TEST_F(CliTest, VersionAndHelpGoToStandardOutput) {
  const Outcome version = Huewarp({"--version", "--module", HUEWARP_MODULE_PATH});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_TRUE(std::regex_match(
      version.out, std::regex("huewarp " HUEWARP_VERSION_STRING
                              "\nmodule [0-9]+\\.[0-9]+\\.[0-9]+ " HUEWARP_MODULE_PATH "\n")))
      << version.out;
  const std::pair<std::vector<std::string>, std::vector<std::string>> helps[] = {
      {{"--help"}, {"Usage: huewarp", "render", "gradients", "--version"}},
      {{"render", "--help"}, {"Usage: huewarp render", "--frames", "--set"}},
      {{"help", "editor"}, {"Usage: huewarp editor", "--scale", "--gradient"}}};
  for (const auto &[args, parts] : helps) {
    const Outcome r = Huewarp(args);
    EXPECT_EQ(r.status, 0) << args[0];
    for (const std::string &part : parts) {
      EXPECT_NE(r.out.find(part), std::string::npos) << args[0] << ": no " << part;
    }
  }
}

TEST_F(CliTest, FailedRenderKeepsThePreviousOutputAndTheFramesBeforeIt) {
  ASSERT_EQ(Huewarp({"chart", "in.png", "--size", "32x16"}).status, 0);
  std::ofstream(Path("out.png")) << "previous";
  EXPECT_EQ(Huewarp(Render({"--fault", "checkout_output"})).status, 1);
  std::ifstream previous(Path("out.png"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(previous), {}), "previous");

  // The sixth render command fails: frames 0..4 are complete, 5 is not written.
  const Outcome r = Huewarp({"render", "in.png", "seq.#.png", "--frames", "0-9", "--jobs", "1",
                             "--fault", "checkout_output#6"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("(frame 5)"), std::string::npos) << r.err;
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.png", "out.png", "seq.0.png", "seq.1.png",
                                               "seq.2.png", "seq.3.png", "seq.4.png"}));
}

TEST_F(CliTest, InterruptedSequenceLeavesNoTemporaryFiles) {
  ASSERT_EQ(Huewarp({"chart", "in.png", "--size", "256x128"}).status, 0);
  const pid_t pid = huewarp::test::StartTool(
      dir_, {"render", "in.png", "seq.####.png", "--frames", "0-9999", "--jobs", "2"});
  ASSERT_NE(pid, 0);
  // Once frames are being written, two are in flight at almost any moment.
  for (int i = 0; i < 6000 && !fs::exists(Path("seq.0001.png")); ++i) usleep(10000);
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(fs::exists(Path("seq.9999.png")));
  for (const std::string &name : Files()) {
    EXPECT_EQ(name.find(".huewarp-"), std::string::npos) << name;
  }
}

// Round trips: with the original blended back in fully, every format and depth gives back the
// input's exact values, alpha included.

struct RoundTrip {
  const char *name;
  const char *file;
  OIIO::TypeDesc type;
};

void PrintTo(const RoundTrip &c, std::ostream *os) { *os << c.name; }

class RoundTrips : public CliTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(RoundTrips, FullBlendGivesTheInputBack) {
  constexpr int kWidth = 64, kHeight = 8;
  const RoundTrip &c = GetParam();
  std::vector<float> values;
  for (int i = 0; i < kWidth * kHeight; ++i) {
    // Alpha 1, 1/2, 1/4, 1/8: multiplying by it and dividing by it again is exact in float.
    const float alpha = 1.0f / static_cast<float>(1 << (i % 4));
    if (c.type == OIIO::TypeDesc::FLOAT) {
      values.insert(values.end(), {i * 0.01f - 1.0f, i / 511.0f, 1.0f / (i + 1), alpha});
    } else if (c.type == OIIO::TypeDesc::UINT16) {
      // The effect holds 0..32768; these 16-bit codes are the ones it can return.
      auto code = [](int k) {
        return static_cast<float>(std::lround((k % 32769) * 65535.0 / 32768.0) / 65535.0);
      };
      values.insert(values.end(),
                    {code(i * 61), code(i * 97 + 5), code(32768 - i * 13), code(32768 >> (i % 4))});
    } else {
      values.insert(values.end(), {(i % 256) / 255.0f, (i * 7 % 256) / 255.0f, 1.0f, alpha});
    }
  }
  // EXR holds premultiplied colour; the tool must divide it out and multiply it back.
  const bool premultiplied = std::string(c.file).ends_with(".exr");
  std::vector<float> stored = values;
  if (premultiplied) {
    for (size_t p = 0; p < stored.size(); p += 4) {
      for (int k = 0; k < 3; ++k) stored[p + k] *= stored[p + 3];
    }
  }
  WriteImage(Path(c.file), kWidth, kHeight, 4, c.type, stored, !premultiplied);
  const std::string out = std::string("out_") + c.file;
  const Outcome r = Huewarp({"render", c.file, out, "--set", "Blend With Original=100"});
  ASSERT_EQ(r.status, 0) << r.err;

  OIIO::ImageSpec in_header, out_header;
  const auto input = ReadPixels<float>(Path(c.file), &in_header);
  const auto output = ReadPixels<float>(Path(out), &out_header);
  EXPECT_EQ(out_header.format, c.type);
  EXPECT_EQ(out_header.nchannels, 4);
  ASSERT_EQ(input.size(), output.size());
  for (size_t i = 0; i < input.size(); ++i) {
    ASSERT_EQ(input[i], output[i]) << "value " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrips,
                         ::testing::Values(RoundTrip{"Png8", "in8.png", OIIO::TypeDesc::UINT8},
                                           RoundTrip{"Png16", "in16.png", OIIO::TypeDesc::UINT16},
                                           RoundTrip{"Tiff16", "in16.tif", OIIO::TypeDesc::UINT16},
                                           RoundTrip{"ExrFloat", "in.exr", OIIO::TypeDesc::FLOAT}),
                         [](const auto &info) { return std::string(info.param.name); });

// Across formats the colour changes form, premultiplied or straight, but not value.

/// PNG inputs are 8-bit straight colour; EXR and TIFF inputs float premultiplied colour.
struct Conversion {
  const char *name;
  const char *in;
  std::vector<float> stored;  ///< One RGBA pixel as the input file holds it.
  const char *out;
  std::vector<std::string> options;
  std::vector<float> expected;  ///< As the output file holds it: RGBA, or RGB without alpha.
  float tolerance;
};

void PrintTo(const Conversion &c, std::ostream *os) { *os << c.name; }

class Conversions : public CliTest, public ::testing::WithParamInterface<Conversion> {};

TEST_P(Conversions, AlphaIsDividedOutAndMultipliedInWhereTheFormatsSayTheyAre) {
  const Conversion &c = GetParam();
  const bool png = std::string(c.in).ends_with(".png");
  WriteImage(Path(c.in), 1, 1, 4, png ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::FLOAT, c.stored,
             png);
  std::vector<std::string> args = {"render", c.in, c.out, "--set", "Blend With Original=100"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  const Outcome r = Huewarp(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = ReadPixels<float>(Path(c.out));
  ASSERT_EQ(out.size(), c.expected.size());
  for (size_t k = 0; k < out.size(); ++k) {
    EXPECT_NEAR(out[k], c.expected[k], c.tolerance) << "channel " << k;
  }
}

// Premultiplied 0.4 at alpha 0.5 is straight 0.8, which is 204 of 255.
const std::vector<float> kPremultiplied = {0.4f, 0.2f, 0.f, 0.5f};
const std::vector<float> kStraight8 = {204 / 255.f, 102 / 255.f, 0, 128 / 255.f};
const std::vector<std::string> kDepth8 = {"--depth", "8"};

INSTANTIATE_TEST_SUITE_P(
    Cases, Conversions,
    ::testing::Values(
        Conversion{"ExrToPng", "in.exr", kPremultiplied, "out.png", kDepth8, kStraight8, 1e-6f},
        Conversion{"AssociatedTiffToPng", "in.tif", kPremultiplied, "out.png", kDepth8, kStraight8,
                   1e-6f},
        Conversion{"PngToExr",
                   "in.png",
                   kStraight8,
                   "out.exr",
                   {"--depth", "32"},
                   {0.8f * (128 / 255.f), 0.4f * (128 / 255.f), 0, 128 / 255.f},
                   1e-6f},
        // JPEG has no alpha: straight colour, alpha dropped, within its compression.
        Conversion{
            "ExrToJpeg", "in.exr", kPremultiplied, "out.jpg", {}, {0.8f, 0.4f, 0}, 3 / 255.f}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CliTest, DepthOptionSetsTheRenderAndOutputDepth) {
  WriteImage(Path("in.png"), 2, 1, 3, OIIO::TypeDesc::UINT8,
             std::vector<std::uint8_t>{0, 128, 255, 7, 8, 9}, true);
  const std::pair<const char *, OIIO::TypeDesc> cases[] = {
      {"8", OIIO::TypeDesc::UINT8}, {"16", OIIO::TypeDesc::UINT16}, {"32", OIIO::TypeDesc::FLOAT}};
  for (const auto &[depth, type] : cases) {
    const std::string out = std::string("out") + depth + ".exr";
    const Outcome r = Huewarp({"render", "in.png", out, "--depth", depth});
    ASSERT_EQ(r.status, 0) << r.err;
    OIIO::ImageSpec header;
    ReadPixels<float>(Path(out), &header);
    // OpenEXR holds half or float: 8 and 16 bits come as half, only 32 as float.
    EXPECT_EQ(header.format == OIIO::TypeDesc::FLOAT, type == OIIO::TypeDesc::FLOAT) << depth;
  }
}

TEST_F(CliTest, SixteenBitCodesMapToTheEffectsScaleWithRounding) {
  // Each code goes to the nearest of the effect's 0..32768 and back to the nearest code: 1 is
  // just above half a step and comes back as 2, 65534 just below and comes back as 65533;
  // 65535 is the effect's 32768.
  const std::vector<std::uint16_t> codes = {0, 1, 2, 3, 32767, 32768, 65534, 65535};
  const std::vector<std::uint16_t> expected = {0, 2, 2, 4, 32768, 32768, 65533, 65535};
  WriteImage(Path("in.png"), static_cast<int>(codes.size()), 1, 1, OIIO::TypeDesc::UINT16, codes,
             true);
  ASSERT_EQ(Huewarp({"render", "in.png", "out.png", "--set", "Blend With Original=100"}).status, 0);
  const auto out = ReadPixels<std::uint16_t>(Path("out.png"));
  ASSERT_EQ(out.size(), codes.size() * 4);  // grey in, RGBA out
  for (size_t i = 0; i < codes.size(); ++i) {
    EXPECT_EQ(out[i * 4], expected[i]) << "code " << codes[i];
    EXPECT_EQ(out[i * 4 + 3], 65535);
  }
}

// The gradient from the command line: which slots are used decides every pixel.

struct GradientCase {
  const char *name;
  std::vector<std::string> args;
  std::uint8_t black[4], white[4];  ///< Output RGBA of a black and a white input pixel.
};

void PrintTo(const GradientCase &c, std::ostream *os) { *os << c.name; }

class Gradients : public CliTest, public ::testing::WithParamInterface<GradientCase> {};

TEST_P(Gradients, BlackAndWhiteInputsMapToTheGradientEnds) {
  WriteImage(Path("in.png"), 2, 1, 3, OIIO::TypeDesc::UINT8,
             std::vector<std::uint8_t>{0, 0, 0, 255, 255, 255}, true);
  std::vector<std::string> args = {"render", "in.png", "out.png", "--set", "Input Range=Intensity"};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  const Outcome r = Huewarp(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = ReadPixels<std::uint8_t>(Path("out.png"));
  ASSERT_EQ(out.size(), 8u);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(out[k], GetParam().black[k]) << "black input, channel " << k;
    EXPECT_EQ(out[4 + k], GetParam().white[k]) << "white input, channel " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Gradients,
    ::testing::Values(
        GradientCase{"DefaultGradient", {}, {15, 42, 84, 255}, {36, 96, 204, 255}},
        // Two stops: slots 3 to 5 of the default gradient must drop out.
        GradientCase{"TwoStopsAndHandles",
                     {"--stops", "0:#ff0000,100:#00ff00", "--alphas", "0:0,100:100"},
                     {255, 0, 0, 0},
                     {0, 255, 0, 255}},
        // A sixth stop counts only if the slot count grows with it.
        GradientCase{"SixStops",
                     {"--stops", "0:#ffffff,0:#ffffff,0:#ffffff,0:#ffffff,0:#ffffff,100:#000000"},
                     {255, 255, 255, 255},
                     {0, 0, 0, 255}},
        // "Color" edits the current stop: slot 3 by default, here the last of two.
        GradientCase{"ProxyEditsTheCurrentStop",
                     {"--stops", "0:#000000,100:#ffffff", "--set", "Color=#ff0000"},
                     {0, 0, 0, 255},
                     {255, 0, 0, 255}},
        GradientCase{"FlippedAndOffsetByHalf",
                     {"--stops", "0:#000000,50:#808080,100:#ffffff", "--set", "Flip Input Range=on",
                      "--set", "Input Range Offset=180", "--set", "Values Over 1=Clamp"},
                     {128, 128, 128, 255},
                     {0, 0, 0, 255}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CliTest, OffsetAnimatedOverOneTurnRepeatsItsFirstFrame) {
  ASSERT_EQ(Huewarp({"chart", "in.png", "--size", "64x32"}).status, 0);
  const Outcome r =
      Huewarp({"render", "in.png", "out.###.png", "--frames", "0-4", "--fps", "2", "--set",
               "Input Range=Hue", "--set", "Values Over 1=Wrap Back To 0", "--key",
               "Input Range Offset@0=0", "--key", "Input Range Offset@2s=360"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 5u) << "a progress line per frame when not on a terminal";
  const auto first = ReadPixels<std::uint8_t>(Path("out.000.png"));
  EXPECT_EQ(ReadPixels<std::uint8_t>(Path("out.004.png")), first);  // 2 s: 360 degrees
  EXPECT_NE(ReadPixels<std::uint8_t>(Path("out.002.png")), first);  // 1 s: 180 degrees
  EXPECT_NE(ReadPixels<std::uint8_t>(Path("out.001.png")),
            ReadPixels<std::uint8_t>(Path("out.003.png")));
}

TEST_F(CliTest, SavedProjectRendersIdentically) {
  ASSERT_EQ(Huewarp({"chart", "in.exr", "--size", "48x24", "--depth", "32"}).status, 0);
  const std::vector<std::string> look = {
      "--stops",  "0:#0f2a54,40:#05e6d7,100:#cc6024",
      "--alphas", "0:100,70:30,100:80",
      "--set",    "Input Range=Saturation",
      "--set",    "Cycle Scale=1.75",
      "--set",    "Smooth Wrap=on",
      "--set",    "Color 7=#123456",  // a hidden slot keeps its value
      "--key",    "Input Range Offset@0=-45",
      "--key",    "Input Range Offset@10=100.5"};
  std::vector<std::string> save = {"render", "in.exr",         "a.exr",    "--frames",
                                   "3",      "--save-project", "look.json"};
  save.insert(save.end(), look.begin(), look.end());
  ASSERT_EQ(Huewarp(save).status, 0);
  const Outcome r =
      Huewarp({"render", "in.exr", "b.exr", "--frames", "3", "--project", "look.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadPixels<float>(Path("a.exr")), ReadPixels<float>(Path("b.exr")));
  EXPECT_NE(ReadPixels<float>(Path("a.exr")), ReadPixels<float>(Path("in.exr")));

  // Saving what was loaded gives the same document.
  ASSERT_EQ(Huewarp({"render", "in.exr", "c.exr", "--project", "look.json", "--save-project",
                     "again.json"})
                .status,
            0);
  std::ifstream a(Path("look.json")), b(Path("again.json"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}),
            std::string(std::istreambuf_iterator<char>(b), {}));
}

TEST_F(CliTest, EditorPictureShowsTheGradientAtTheAskedSize) {
  // An option given twice takes its last value.
  ASSERT_EQ(Huewarp({"editor", "a.png", "--width", "90", "--width", "200", "--scale", "2"}).status,
            0);
  ASSERT_EQ(Huewarp({"editor", "b.png", "--width", "200", "--scale", "2", "--stops",
                     "0:#ff0000,100:#ffff00", "--alphas", "0:100,100:0"})
                .status,
            0);
  OIIO::ImageSpec header;
  const auto a = ReadPixels<std::uint8_t>(Path("a.png"), &header);
  EXPECT_EQ(header.width, 400);
  EXPECT_EQ(header.height, 560);  // the control's declared height of 280, doubled
  EXPECT_NE(a, ReadPixels<std::uint8_t>(Path("b.png")));
}

// Gradients from names and files, fitted to the effect's stops.

TEST_F(CliTest, RampThroughViridisShowsThePublishedColours) {
  std::vector<std::uint8_t> ramp;
  for (int v = 0; v < 256; ++v) ramp.insert(ramp.end(), 3, static_cast<std::uint8_t>(v));
  WriteImage(Path("ramp.png"), 256, 1, 3, OIIO::TypeDesc::UINT8, ramp, true);
  const Outcome r = Huewarp(
      {"render", "ramp.png", "out.png", "--gradient", "viridis", "--set", "Input Range=Red"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("viridis: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("largest error 0."), std::string::npos) << r.err;
  const auto out = ReadPixels<std::uint8_t>(Path("out.png"));
  ASSERT_EQ(out.size(), 256u * 4);
  // The published table at five of its 256 entries; within the fit's 1/255 and the rounding
  // to 8 bits.
  const struct {
    int index;
    double rgb[3];
  } published[] = {{0, {0.267004, 0.004874, 0.329415}},
                   {64, {0.229739, 0.322361, 0.545706}},
                   {128, {0.127568, 0.566949, 0.550556}},
                   {192, {0.369214, 0.788888, 0.382914}},
                   {255, {0.993248, 0.906157, 0.143936}}};
  for (const auto &p : published) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(out[p.index * 4 + k], p.rgb[k] * 255, 1.5) << "entry " << p.index << " " << k;
    }
    EXPECT_EQ(out[p.index * 4 + 3], 255);
  }
}

TEST_F(CliTest, FittedGradientIsKeptByTheProjectAndDrawnByTheEditor) {
  ASSERT_EQ(Huewarp({"chart", "in.exr", "--size", "48x24", "--depth", "32"}).status, 0);
  std::ofstream(Path("bands.cpt"))
      << "0 0 0 128 10 255 255 255\n10 255 0 0 20 255 128 0\nB 0 0 0\n";
  const Outcome a = Huewarp(
      {"render", "in.exr", "a.exr", "--gradient", "bands.cpt", "--save-project", "look.json"});
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_NE(a.err.find("note: 'bands.cpt' line 3"), std::string::npos) << a.err;
  const Outcome b = Huewarp({"render", "in.exr", "b.exr", "--project", "look.json"});
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(ReadPixels<float>(Path("a.exr")), ReadPixels<float>(Path("b.exr")));

  ASSERT_EQ(Huewarp({"editor", "default.png"}).status, 0);
  ASSERT_EQ(Huewarp({"editor", "fitted.png", "--project", "look.json"}).status, 0);
  ASSERT_EQ(Huewarp({"editor", "direct.png", "--gradient", "bands.cpt"}).status, 0);
  EXPECT_NE(ReadPixels<std::uint8_t>(Path("fitted.png")),
            ReadPixels<std::uint8_t>(Path("default.png")));
  EXPECT_EQ(ReadPixels<std::uint8_t>(Path("fitted.png")),
            ReadPixels<std::uint8_t>(Path("direct.png")));
}

TEST_F(CliTest, FrameListRendersTheListedFramesWithOnePadding) {
  ASSERT_EQ(Huewarp({"chart", "in.png", "--size", "16x16"}).status, 0);
  const Outcome r =
      Huewarp({"render", "in.png", "out.%04d.png", "--frames", "12-14:2,1-3,8,2", "--jobs", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Files(),
            (std::vector<std::string>{"in.png", "out.0001.png", "out.0002.png", "out.0003.png",
                                      "out.0008.png", "out.0012.png", "out.0014.png"}));
}

}  // namespace
