// Gradients read from palettes and files and fitted to the effect's stops: the fit is measured
// with the effect's own sampler, building the ramps from the parameter values exactly as the
// effect reads them, against the source sampled densely.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/gradient.h"
#include "core/gradient_settings.h"
#include "tools/gradients/color_spaces.h"
#include "tools/gradients/css_color.h"
#include "tools/gradients/gradient_files.h"
#include "tools/gradients/gradient_fit.h"
#include "tools/gradients/palettes.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

namespace fs = std::filesystem;

constexpr double kStep = 1.0 / 255;

struct Errors {
  double color = 0, alpha = 0;
};

/// The effect's view of the fit: the parameters it would read, built as the effect builds them.
Gradient EffectGradient(const FittedGradient &fit) {
  GradientSettings settings;
  int n = 0;
  for (const FittedStop &s : fit.stops) {
    settings.stops.at(++n) = {true, s.red, s.green, s.blue, s.percent};
  }
  n = 0;
  for (const FittedHandle &h : fit.handles) {
    settings.handles.at(++n) = {true, h.percent, h.value_percent};
  }
  return BuildGradient(settings);
}

/// Largest differences at 4096 points spread over 0..1.
Errors Measure(const SourceGradient &source, const FittedGradient &fit) {
  const Gradient gradient = EffectGradient(fit);
  const ColorRamp &colors = gradient.colorRamp;
  const AlphaRamp &alphas = gradient.alphaRamp;
  Errors e;
  for (int i = 0; i < 4096; ++i) {
    const float t = static_cast<float>(i / 4095.0);
    const Rgb c = SampleColor(colors, t, 1.0f);
    const Rgba s = ColorAt(source, t);
    e.color = std::max(
        {e.color, std::abs(c.red - s.red), std::abs(c.green - s.green), std::abs(c.blue - s.blue)});
    e.alpha = std::max(e.alpha, std::abs(SampleAlpha(alphas, t, 1.0f) - s.alpha));
  }
  return e;
}

/// Each test writes its files into a folder of its own.
class GradientFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("huewarp_gradients_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string &name, const std::string &text) {
    const fs::path path = dir_ / name;
    std::ofstream(path) << text;
    return path.string();
  }
  fs::path dir_;
};

struct FormatCase {
  const char *name;
  const char *file;
  const char *text;
  bool exact;                 ///< The effect can show the source exactly.
  std::vector<double> edges;  ///< Hard colour edges, as fractions.
  bool noted;                 ///< The source holds something the effect cannot show.
};

void PrintTo(const FormatCase &c, std::ostream *os) { *os << c.name; }

class Formats : public GradientFiles, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(Formats, FitStaysWithinTheBoundAndKeepsHardEdges) {
  const FormatCase &c = GetParam();
  // Measured as the fit sees it: with its edges on positions a 32-bit t can reach.
  SourceGradient source = LoadGradient(Write(c.file, c.text));
  SnapPositions(source);
  const FittedGradient fit = FitGradient(source, kStep);
  ASSERT_LE(fit.stops.size(), 100u);
  ASSERT_LE(fit.handles.size(), 100u);
  const Errors e = Measure(source, fit);
  const double bound = c.exact ? 1e-6 : kStep;
  EXPECT_LE(e.color, bound);
  EXPECT_LE(e.alpha, bound);
  EXPECT_LE(fit.color_error, bound);
  EXPECT_EQ(!source.notes.empty(), c.noted);

  const Gradient gradient = EffectGradient(fit);
  const ColorRamp &colors = gradient.colorRamp;
  for (const double edge : c.edges) {
    const float at = static_cast<float>(edge);
    EXPECT_EQ(std::count_if(
                  fit.stops.begin(), fit.stops.end(),
                  [&](const FittedStop &s) { return static_cast<float>(s.percent * 0.01) == at; }),
              2)
        << "edge at " << edge;
    // Either side of the edge the effect shows the source's own colours, not a blend.
    for (const float t : {std::nextafter(at, 0.0f), at}) {
      const Rgb got = SampleColor(colors, t, 1.0f);
      const Rgba want = ColorAt(source, t);
      EXPECT_NEAR(got.red, want.red, kStep) << "t " << t;
      EXPECT_NEAR(got.green, want.green, kStep) << "t " << t;
      EXPECT_NEAR(got.blue, want.blue, kStep) << "t " << t;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Formats,
    ::testing::Values(
        FormatCase{"GgrLinearThenStep",
                   "a.ggr",
                   "GIMP Gradient\nName: Two\n2\n"
                   "0 0.25 0.5 0 0 0 1 1 0 0 0.5 0 0\n"
                   "0.5 0.75 1 0 0 1 1 0 1 0 1 5 0\n",
                   false,
                   {0.5, 0.75},
                   false},
        FormatCase{"GgrStepIsExact",
                   "step.ggr",
                   "GIMP Gradient\n1\n0 0.3 1 1 0 0 1 0 0 1 0.25 5 0 0 0\n",
                   true,
                   {0.3},
                   false},
        FormatCase{"GgrCurvedAndSineInHsv",
                   "hsv.ggr",
                   "GIMP Gradient\nName: Turns\n2\n"
                   "0 0.35 0.5 1 0 0 1 0 0 1 1 1 1\n"
                   "0.5 0.6 1 0 0 1 1 0 1 0 1 2 2\n",
                   false,
                   {},
                   false},
        FormatCase{"GgrSpheresAndForegroundNoted",
                   "spheres.ggr",
                   "GIMP Gradient\n3\n"
                   "0 0.2 0.4 0 1 0 1 1 1 0 0.2 3 0\n"
                   "0.4 0.5 0.7 1 1 0 0.2 1 0 1 1 4 0 1 0\n"
                   "0.7 0.9 1 1 0 1 1 0.2 0.2 0.2 1 0 0\n",
                   false,
                   {},
                   true},
        FormatCase{"CptRgbWithEndsAndAJump",
                   "a.cpt",
                   "# a comment\n-100 0 0 0 0 0/0/255\n0 255 0 0 50 255/255/0 ; label\n"
                   "50 #00ff00 100 128 U\nB 0 0 0\nF 255 255 255\nN 128 128 128\n",
                   false,
                   {0.5},
                   true},
        FormatCase{"CptHsvTurnsThroughHues",
                   "hsv.cpt",
                   "# COLOR_MODEL = HSV\n0 0 1 1 1 300 1 1\n1 300-1-1 2 300-0-0.5\n",
                   false,
                   {},
                   false},
        FormatCase{"CptManyBandsStayExact",
                   "bands.cpt",
                   "0 255 0 0 1 255 0 0\n1 0 0 255 2 0 0 255\n2 255 0 0 3 255 0 0\n"
                   "3 0 0 255 4 0 0 255\n4 255 0 0 5 255 0 0\n5 0 0 255 6 0 0 255\n"
                   "6 255 0 0 7 255 0 0\n7 0 0 255 8 0 0 255\n8 255 0 0 9 255 0 0\n"
                   "9 0 0 255 10 0 0 255\n10 255 0 0 11 255 0 0\n11 0 0 255 12 0 0 255\n",
                   true,
                   {1 / 12.0, 2 / 12.0, 3 / 12.0, 5 / 12.0, 8 / 12.0, 11 / 12.0},
                   false},
        FormatCase{"SvgStopsWithStyleAndEqualOffsets",
                   "a.svg",
                   "<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY gold \"#ffcc00\">]>\n"
                   "<svg xmlns=\"http://www.w3.org/2000/svg\">\n"
                   "<!-- <linearGradient id=\"not-this\"/> -->\n<defs>\n"
                   "<linearGradient id=\"g\">\n<stop offset=\"0\" stop-color=\"navy\"/>\n"
                   "<stop offset=\"40&#37;\" style=\"stop-color:&gold;;stop-opacity:0.5\"/>\n"
                   "<stop offset=\"0.4\" stop-color=\"rgb(0, 128, 0)\"/>\n"
                   "<stop offset=\"0.2\" stop-color=\"white\" stop-opacity=\"0\"/>\n"
                   "</linearGradient>\n</defs>\n</svg>\n",
                   false,
                   {0.4},
                   false},
        FormatCase{"SvgStopsThroughHref",
                   "href.svg",
                   "<svg><defs><linearGradient id=\"a\" xlink:href=\"#c\" x1=\"0\"/>"
                   "<linearGradient id=\"c\" xlink:href=\"#b\"/>"
                   "<svg:linearGradient id=\"b\"><svg:stop offset=\"0\" stop-color=\"#f00\"/>"
                   "<svg:stop offset=\"1\" stop-color=\"#f00\" stop-opacity=\"0\"/>"
                   "</svg:linearGradient></defs></svg>",
                   true,
                   {},
                   false},
        FormatCase{"SvgRadialAndTransformNoted",
                   "radial.svg",
                   "<svg><radialGradient id=\"r\" gradientTransform=\"scale(2)\" href=\"#s\"/>"
                   "<radialGradient id=\"s\"><stop offset=\"0.3\" stop-color=\"#000\"/>"
                   "<stop offset=\"0.3\" stop-color=\"#fff\"/></radialGradient></svg>",
                   true,
                   {0.3},
                   true},
        FormatCase{"CssWithHintAndDoublePosition",
                   "a.css",
                   ".sky {\n  background: linear-gradient(to right, red, 30%,\n"
                   "    rgba(0 0 255 / 50%) 50%, hsl(120deg 100% 25%) 50% 80%, #fff);\n}\n",
                   false,
                   {0.5},
                   true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(GradientFiles, ExactSourcesNeedNoMoreStopsThanTheyHave) {
  // A constant colour fading out: one stop and two handles say it all.
  const SourceGradient fade = ReadCssGradient("linear-gradient(#336699, #33669900)", "");
  const FittedGradient fit = FitGradient(fade, kStep);
  EXPECT_EQ(fit.stops.size(), 1u);
  EXPECT_EQ(fit.handles.size(), 2u);
  EXPECT_LE(Measure(fade, fit).alpha, 1e-6);
}

TEST_F(GradientFiles, TooFewStopsWidenTheBoundAndSaySo) {
  const SourceGradient turbo = *NamedPalette("turbo");
  const FittedGradient fit = FitGradient(turbo, kStep, 6);
  EXPECT_LE(fit.stops.size(), 6u);
  EXPECT_GT(fit.color_error, kStep);
  EXPECT_NEAR(Measure(turbo, fit).color, fit.color_error, kStep / 4);
  EXPECT_EQ(FitSummary("turbo", fit, 1).find('\n'), std::string::npos);
  EXPECT_NE(FitSummary("turbo", fit, 1).find("turbo needs more stops"), std::string::npos);
  EXPECT_EQ(FitSummary("turbo", fit, 64).find("needs more"), std::string::npos);
}

TEST_F(GradientFiles, MoreEdgesThanStopsGiveUpTheSmallest) {
  // Sixty bands four 8-bit steps apart need 120 stops to keep every edge.
  std::string table;
  for (int i = 0; i < 60; ++i) {
    const std::string rgb = std::to_string(i * 4) + " " + std::to_string(255 - i * 4) + " 128";
    table += std::to_string(i) + " " + rgb + " ";
    table += std::to_string(i + 1) + " " + rgb + "\n";
  }
  SourceGradient bands = LoadGradient(Write("bands.cpt", table));
  SnapPositions(bands);
  const FittedGradient fit = FitGradient(bands, kStep);
  EXPECT_LE(fit.stops.size(), 100u);
  EXPECT_LT(fit.color_error, 3 * kStep);
  EXPECT_LE(Measure(bands, fit).color, fit.color_error + 1e-6);
}

class Palettes : public ::testing::TestWithParam<std::string> {};

TEST_P(Palettes, FitWithinOneStep) {
  const SourceGradient source = *NamedPalette(GetParam());
  const FittedGradient fit = FitGradient(source, kStep);
  EXPECT_LE(fit.stops.size(), 100u);
  const Errors e = Measure(source, fit);
  EXPECT_LE(e.color, kStep);
  EXPECT_EQ(e.alpha, 0);
}

INSTANTIATE_TEST_SUITE_P(All, Palettes, ::testing::ValuesIn(PaletteNames()),
                         [](const auto &info) { return info.param; });

// Every error names the file and the line or element at fault.

struct ErrorCase {
  const char *name;
  const char *file;
  const char *text;
  std::vector<std::string> parts;
};

void PrintTo(const ErrorCase &c, std::ostream *os) { *os << c.name; }

class GradientErrors : public GradientFiles, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(GradientErrors, OneLineNamingFileAndLine) {
  const ErrorCase &c = GetParam();
  const std::string path = Write(c.file, c.text);
  try {
    LoadGradient(path);
    ADD_FAILURE() << "no error";
  } catch (const ToolError &e) {
    const std::string what = e.what();
    EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    EXPECT_NE(what.find(Quoted(path)), std::string::npos) << what;
    for (const std::string &part : c.parts) {
      EXPECT_NE(what.find(part), std::string::npos) << "missing \"" << part << "\" in " << what;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GradientErrors,
    ::testing::Values(
        ErrorCase{"GgrHeader", "a.ggr", "GIMP Palette\n1\n", {"line 1", "GIMP Gradient"}},
        ErrorCase{"GgrShortSegment",
                  "a.ggr",
                  "GIMP Gradient\nName: x\n2\n0 0.25 0.5 0 0 0 1 1 1 1 1 0 0\n0.5 0.7 1 0 0\n",
                  {"line 5", "13 or 15 numbers"}},
        ErrorCase{"GgrBlending",
                  "a.ggr",
                  "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 7 0\n",
                  {"line 3", "blending type 7"}},
        ErrorCase{"GgrTooFewSegments",
                  "a.ggr",
                  "GIMP Gradient\n2\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\n",
                  {"line 4", "expected 2 segments, found 1"}},
        ErrorCase{"GgrGap",
                  "a.ggr",
                  "GIMP Gradient\n2\n0 0.2 0.4 0 0 0 1 1 1 1 1 0 0\n"
                  "0.5 0.7 1 0 0 0 1 1 1 1 1 0 0\n",
                  {"line 4", "starts at 0.5"}},
        ErrorCase{"CptSlice", "a.cpt", "# x\n0 0 0 0 1 255 255 255\n1 red 2\n", {"line 3"}},
        ErrorCase{"CptBackwards", "a.cpt", "5 0 0 0 1 255 255 255\n", {"line 1", "backwards"}},
        ErrorCase{"CptEmpty", "a.cpt", "# nothing\nB 0 0 0\n", {"no colour slices"}},
        ErrorCase{"SvgWithoutGradient", "a.svg", "<svg><rect/></svg>", {"no linearGradient"}},
        ErrorCase{"SvgNotWellFormed",
                  "a.svg",
                  "<svg>\n<linearGradient>\n</svg>",
                  {"line 3", "mismatched"}},
        ErrorCase{"SvgHrefLoop",
                  "a.svg",
                  "<svg>\n<linearGradient id=\"a\" href=\"#b\"/>\n"
                  "<linearGradient id=\"b\" href=\"#a\"/></svg>",
                  {"line 2", "loops back to '#a'"}},
        ErrorCase{"SvgBadColour",
                  "a.svg",
                  "<svg>\n<linearGradient>\n<stop offset=\"0\"/>\n"
                  "<stop offset=\"1\" stop-color=\"blurple\"/>\n</linearGradient></svg>",
                  {"line 4", "'blurple'"}},
        ErrorCase{"SvgNoStops",
                  "a.svg",
                  "<svg>\n\n<linearGradient id=\"g\"/></svg>",
                  {"line 3", "no stops"}},
        ErrorCase{"CssBadColour",
                  "a.css",
                  "a {\n  background: linear-gradient(90deg,\n red, blurple 40%);\n}",
                  {"line 3", "'blurple' is not a CSS colour"}},
        ErrorCase{"CssLength",
                  "a.txt",
                  "linear-gradient(red 10px, blue)",
                  {"line 1", "'10px' is a length"}},
        ErrorCase{
            "CssUnclosed", "a.css", "\n\nlinear-gradient(red, blue", {"line 3", "not closed"}},
        ErrorCase{"CptNeitherSlicesNorKeys", "a.cpt", "0 red\n1 blurple\n", {"line 2", "a key"}},
        ErrorCase{"CssHueWithoutOne",
                  "a.css",
                  "linear-gradient(in oklab longer hue, red, blue)",
                  {"line 1", "'oklab' has no hue to turn"}},
        ErrorCase{"UnknownExtension", "a.gpl", "GIMP Palette\n", {"cannot tell the format"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GradientNames, UnknownNameListsTheNames) {
  try {
    LoadGradient("viridiss");
    ADD_FAILURE() << "no error";
  } catch (const ToolError &e) {
    EXPECT_NE(std::string(e.what()).find("'viridiss'"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("viridis, magma, inferno, plasma, cividis, turbo, grey"),
              std::string::npos)
        << e.what();
  }
}

struct ColorCase {
  const char *text;
  bool valid;
  Rgba color;
};

TEST(CssColors, FormsAndNames) {
  const ColorCase cases[] = {
      {"#f80", true, {1, 0x88 / 255.0, 0, 1}},
      {"#ff880080", true, {1, 0x88 / 255.0, 0, 0x80 / 255.0}},
      {" RebeccaPurple ", true, {0x66 / 255.0, 0x33 / 255.0, 0x99 / 255.0, 1}},
      {"rgb(255, 0, 51)", true, {1, 0, 0.2, 1}},
      {"rgba(100%, 50%, 0%, 0.25)", true, {1, 0.5, 0, 0.25}},
      {"rgb(0 255 0 / 40%)", true, {0, 1, 0, 0.4}},
      {"hsl(240, 100%, 50%)", true, {0, 0, 1, 1}},
      {"hsl(0.5turn 100% 25% / 1)", true, {0, 0.5, 0.5, 1}},
      {"transparent", true, {0, 0, 0, 0}},
      {"#12345", false, {}},
      {"rgb(1, 2)", false, {}},
      {"rgb(1 2 3 4)", false, {}},
      {"blurple", false, {}},
      {"hwb(0 0% 0%)", false, {}},
  };
  for (const ColorCase &c : cases) {
    const std::optional<Rgba> got = ParseCssColor(c.text);
    ASSERT_EQ(got.has_value(), c.valid) << c.text;
    if (!got) continue;
    EXPECT_NEAR(got->red, c.color.red, 1e-9) << c.text;
    EXPECT_NEAR(got->green, c.color.green, 1e-9) << c.text;
    EXPECT_NEAR(got->blue, c.color.blue, 1e-9) << c.text;
    EXPECT_NEAR(got->alpha, c.color.alpha, 1e-9) << c.text;
  }
}

struct ColourAtCase {
  const char *name;
  const char *gradient;  ///< A file's text (GMT) or a CSS gradient.
  const char *space;     ///< --gradient-space.
  double t;
  Rgba want;
};

// Colour tables' forms and layouts, and the spaces colours mix in, read at one point each.
TEST_F(GradientFiles, ColoursWhereTheSourceSaysAndMixedWhereItSays) {
  const double grey = 0.388573;  // Oklab's L of 1/2: linear 1/8, in sRGB
  const ColourAtCase cases[] = {
      {"X11Green", "0 green 1 green\n", "srgb", 0.5, {0, 1, 0, 1}},
      {"GreyLevels", "0 gray80 1 grey50\n", "srgb", 0, {204 / 255.0, 204 / 255.0, 204 / 255.0, 1}},
      {"GreyLevelsRoundAsX11",
       "0 gray80 1 grey50\n",
       "srgb",
       1,
       {127 / 255.0, 127 / 255.0, 127 / 255.0, 1}},
      {"HsvCmykHex", "0 240-1-1 1 0/100/100/0\n1 #00ff00 2 0/0/0/0\n", "srgb", 0, {0, 0, 1, 1}},
      {"Cmyk", "0 240-1-1 1 0/100/100/0\n1 #00ff00 2 0/0/0/0\n", "srgb", 0.49999, {1, 0, 0, 1}},
      {"CmykModel",
       "# COLOR_MODEL = CMYK\n0 0 0 0 50 1 0 0 0 50\n",
       "srgb",
       0.5,
       {0.5, 0.5, 0.5, 1}},
      {"Transparency", "0 red@25 1 red@25\n", "srgb", 0.5, {1, 0, 0, 0.75}},
      {"CategoricalBands", "0 red ; a\n1 0/0/255\n2 white\n", "srgb", 0.5, {0, 0, 1, 1}},
      {"CategoricalEdge", "0 red ; a\n1 0/0/255\n2 white\n", "srgb", 0.3333, {1, 0, 0, 1}},
      {"HingeSpreadsEachSide",
       "# HARD_HINGE\n# RANGE = -6000/3000\n-1 black 0 white\n0 red 1 red\n",
       "srgb",
       0.6666,
       {1, 1, 1, 1}},
      {"CssOklab", "linear-gradient(in oklab, white, black)", "srgb", 0.5, {grey, grey, grey, 1}},
      {"CssLinear",
       "linear-gradient(in srgb-linear, white, black)",
       "oklab",
       0.5,
       {0.73536, 0.73536, 0.73536, 1}},
      {"SpaceOption", "0 white 1 black\n", "oklab", 0.5, {grey, grey, grey, 1}},
      {"CssHslShorter", "linear-gradient(in hsl, red, blue)", "srgb", 0.5, {1, 0, 1, 1}},
      {"CssHslLonger", "linear-gradient(in hsl longer hue, red, blue)", "srgb", 0.5, {0, 1, 0, 1}},
      {"CssHslIncreasing",
       "linear-gradient(to right in hsl increasing hue, blue, red)",
       "srgb",
       0.5,
       {1, 0, 1, 1}},
      // White has no hue: the other colour's is taken, so OKLCH goes as Oklab does.
      {"OklchWhiteTakesBluesHue", "linear-gradient(in oklch, white, #0000ff)", "srgb", 0.5,
       ColorAt(ReadCssGradient("linear-gradient(in oklab, white, #0000ff)", ""), 0.5)},
      {"OklchRedKeepsLightness",
       "linear-gradient(in oklch, #ff0000, #ff0000)",
       "srgb",
       0.5,
       {1, 0, 0, 1}},
  };
  for (const ColourAtCase &c : cases) {
    SourceGradient source = std::string_view(c.gradient).starts_with("linear-gradient")
                                ? ReadCssGradient(c.gradient, "")
                                : LoadGradient(Write("a.cpt", c.gradient));
    MixIn(source, *GradientSpaceNamed(c.space));
    const Rgba got = ColorAt(source, c.t);
    EXPECT_NEAR(got.red, c.want.red, 1e-4) << c.name;
    EXPECT_NEAR(got.green, c.want.green, 1e-4) << c.name;
    EXPECT_NEAR(got.blue, c.want.blue, 1e-4) << c.name;
    EXPECT_NEAR(got.alpha, c.want.alpha, 1e-9) << c.name;
  }
}

// Every gradient of Debian's GIMP and GMT packages, with its stop count and error printed: within
// 1/255 in at most 100 stops, unless it has more jumps of 2/255 or more (which no run of stops
// can cross within 1/255) than 100 stops can keep as edges, at three a piece.
TEST(InstalledGradients, FitWithinOneStepOrSayWhyNot) {
  std::vector<fs::path> files;
  for (const char *dir : {"/usr/share/gimp/2.0/gradients", "/usr/share/gmt/cpt"}) {
    if (!fs::exists(dir)) GTEST_SKIP() << dir << " is missing: run tools/install-deps.sh";
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
      if (entry.path().extension() == ".ggr" || entry.path().extension() == ".cpt") {
        files.push_back(entry.path());
      }
    }
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files.size(), 78u + 120u);
  for (const fs::path &file : files) {
    SourceGradient source;
    ASSERT_NO_THROW(source = LoadGradient(file.string())) << file;
    SnapPositions(source);
    const auto start = std::chrono::steady_clock::now();
    const FittedGradient fit = FitGradient(source, kStep);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const Errors e = Measure(source, fit);
    int edges = 0;
    for (const double b : Breaks(source)) {
      const Rgba l = ColorBefore(source, b), r = ColorAt(source, b);
      edges +=
          std::max({std::abs(l.red - r.red), std::abs(l.green - r.green), std::abs(l.blue - r.blue),
                    std::abs(l.alpha - r.alpha)}) > 2 * kStep - 1e-9;
    }
    std::printf("%-50s %3zu stops %3zu handles, error %.2f/255 (%d edges) %.2f s\n", file.c_str(),
                fit.stops.size(), fit.handles.size(), std::max(e.color, e.alpha) * 255, edges,
                took.count());
    EXPECT_LE(fit.stops.size(), 100u) << file;
    if (3 * edges <= 100) EXPECT_LE(std::max(e.color, e.alpha), kStep) << file;
  }
}

}  // namespace
}  // namespace huewarp::tool
