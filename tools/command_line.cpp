#include "tools/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <sstream>

#include "tools/movie_file.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

constexpr const char *kAbout =
    "Runs the Huewarp effect module in the simulated host, exactly as an effect host drives it.";

constexpr const char *kFooter = R"(
Images are read and written with OpenImageIO: PNG, TIFF, OpenEXR, JPEG and the other formats
it knows, chosen by the file extension. 16-bit files map 0..65535 to the effect's 0..32768 and
back with rounding to nearest; float renders go to formats without float (PNG) as 16 bits.

Movies are read with FFmpeg: any file it demuxes with a video stream (.mp4, .mov, .mkv, .avi,
.webm, .mxf, ...). Frames are rendered at 8 bits, or 16 for sources of more than 8 bits, with
times from the stream. Outputs by extension: .mp4 H.264 (yuv420p; odd sizes in 4:4:4), .mov
ProRes 422 HQ (10-bit; ProRes 4444 when the input or the first rendered frame has alpha), .mkv
FFV1 (lossless, alpha kept). The output keeps the input's frame rate and time base; audio
streams are copied as they are, cut to the frames rendered when --frames is given. A movie can
be written from an image sequence (--frames and --fps) and an image sequence from a movie.

Alpha: the effect works on straight (unassociated) colour. Files read as premultiplied (OpenEXR,
TIFF with associated alpha) are divided by alpha on input and multiplied again on output to
OpenEXR; PNG and TIFF are read and written straight. Images without alpha get alpha 1. Output
keeps the alpha the effect produces wherever the format holds alpha; formats without alpha
(JPEG) get RGB, with the alpha dropped.

Outputs are written to a temporary file in the same folder and renamed when complete, so a
failure never leaves a partial OUT. Errors go to stderr as one line; the exit status is 1.
'huewarp COMMAND --help' describes each command's options.
)";

/// A closed range for typed options, printed as a person writes numbers (0.01, not 0.010000).
template <class T>
CLI::Validator Within(T low, T high) {
  std::ostringstream range;
  range << low << " to " << high;
  return CLI::Validator(
      [low, high, text = range.str()](std::string &input) -> std::string {
        T value{};
        if (!CLI::detail::lexical_cast(input, value) || !(value >= low && value <= high)) {
          return "'" + input + "' is not a number from " + text;
        }
        return {};
      },
      "");
}

/// Bits per channel, as --depth takes them.
const CLI::Validator kDepths(
    [](std::string &input) -> std::string {
      return input == "8" || input == "16" || input == "32" ? ""
                                                            : "'" + input + "' is not 8, 16 or 32";
    },
    "");

/// Help text broken into lines that fit 100 columns beside the option names; CLI11 indents the
/// continuation lines under the first.
std::string Wrap(const std::string &text) {
  constexpr std::size_t kWidth = 58;
  std::string out, line;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (!line.empty() && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return out + line;
}

void WrapDescriptions(CLI::App &app) {
  for (CLI::Option *option : app.get_options())
    option->description(Wrap(option->get_description()));
  for (CLI::App *command : app.get_subcommands({})) WrapDescriptions(*command);
}

Assignment Assign(const std::string &option, const std::string &text, bool keyed) {
  Assignment a;
  a.option = option + " \"" + text + "\"";
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) {
    throw ToolError(a.option + ": expected " + (keyed ? "NAME@TIME=VALUE" : "NAME=VALUE"));
  }
  a.name = text.substr(0, equals);
  a.value = text.substr(equals + 1);
  if (keyed) {
    const std::size_t at = a.name.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 == a.name.size()) {
      throw ToolError(a.option + ": expected NAME@TIME=VALUE");
    }
    a.time = a.name.substr(at + 1);
    a.name.resize(at);
  }
  return a;
}

/// What every option of a list-valued kind shares: one value per occurrence, in order.
CLI::Option *Each(CLI::Option *option) { return option->allow_extra_args(false); }

/// The settings render and editor share, read into `c`; --set and --key as typed.
void AddEffectSettings(CLI::App &command, CommandLine &c, std::vector<std::string> &sets,
                       std::vector<std::string> &keys) {
  const std::string group = "Effect settings (applied in this order)";
  command.add_option("--project", c.project, "load settings saved with --save-project")
      ->type_name("FILE")
      ->group(group);
  command
      .add_option("--gradient", c.gradient,
                  "the stops and handles fitted to a gradient: a name (see 'huewarp gradients'), a "
                  "GIMP .ggr, a GMT/cpt-city .cpt, the first linearGradient of an .svg, or a CSS "
                  "linear-gradient(...) given here or in a .css/.txt file; prints the stop count "
                  "and largest error. --stops or --alphas given too replace its stops or handles")
      ->type_name("VALUE")
      ->group(group);
  command
      .add_option("--gradient-tolerance", c.gradient_tolerance,
                  "largest difference from the gradient, 0.01 to 64 8-bit steps (1)")
      ->type_name("N")
      ->check(Within(0.01, 64.0))
      ->group(group);
  command
      .add_option("--gradient-space", c.gradient_space,
                  "where the gradient's colours mix: srgb, linear, oklab or oklch (srgb); a CSS "
                  "gradient's own \"in ...\" takes precedence")
      ->type_name("S")
      ->check(CLI::IsMember({"srgb", "linear", "oklab", "oklch"}))
      ->group(group);
  command
      .add_option("--stops", c.stops,
                  "the colour stops, \"POS:#rrggbb,...\" with POS 0..100 (up to 100 stops)")
      ->type_name("LIST")
      ->group(group);
  command
      .add_option("--alphas", c.alphas,
                  "the alpha handles, \"POS:OPACITY,...\" both 0..100 (up to 100 handles)")
      ->type_name("LIST")
      ->group(group);
  Each(command.add_option(
           "--set", sets,
           "set a parameter by its name as the host shows it ('huewarp info' lists them); VALUE "
           "is a popup text, an angle in degrees, on/off/true/false/1/0, #rrggbb or a number "
           "(percentages as plain numbers); replaces any keyframes. It arrives as the user's "
           "change, so \"Color\", \"Position\", \"Alpha Position\" and \"Alpha Value\" edit the "
           "current stop and handle, as in the host"))
      ->type_name("\"NAME=VALUE\"")
      ->group(group);
  Each(command.add_option("--key", keys,
                          "add a keyframe; TIME is a frame number or seconds with \"s\" (2s)"))
      ->type_name("\"NAME@TIME=VALUE\"")
      ->group(group);
  command.add_option("--save-project", c.save_project, "save the settings as JSON once applied")
      ->type_name("FILE")
      ->group(group);
  // Fails host operations once rendering starts, for tests of the failure paths.
  Each(command.add_option("--fault", c.faults))->group("");
}

std::string MovieCodecList() {
  std::string list;
  for (const std::string &name : MovieCodecNames()) list += (list.empty() ? "" : ", ") + name;
  return list;
}

/// The command's files as CLI11 reads them, in order.
struct Files {
  std::string in, out;
};

void AddRender(CLI::App &app, CommandLine &c, Files &files, std::vector<std::string> &sets,
               std::vector<std::string> &keys) {
  CLI::App &render = *app.add_subcommand("render", "render an image, an image sequence or a movie");
  render.add_option("IN", files.in, "an image, a frame-number pattern (in.####.png) or a movie")
      ->required()
      ->type_name("");
  render.add_option("OUT", files.out, "the same kinds, written")->required()->type_name("");
  AddEffectSettings(render, c, sets, keys);
  render
      .add_option("--depth", c.depth,
                  "bits per channel of the render and the output (default: the input's)")
      ->type_name("8|16|32")
      ->check(kDepths);
  render
      .add_option("--frames", c.frames,
                  "render these frames: \"0-47\", \"1-3,5,7-20:2\" (every second of 7 to 20); an "
                  "image OUT (and IN, if it is a sequence) then needs a frame-number pattern such "
                  "as out.####.png or out.%04d.png; a movie's frames count from 0")
      ->type_name("LIST");
  render
      .add_option("--fps", c.fps,
                  "frames per second of images, for keyframe times and movie output (30, 29.97 "
                  "or 30000/1001; 30); a movie input keeps its own rate")
      ->type_name("RATE");
  render
      .add_option("--jobs", c.jobs,
                  "frames rendered at once, 1 to 64 (default: a few, by the cores)")
      ->type_name("N")
      ->check(Within(1, 64));
  render.add_option("--codec", c.codec, "movie output codec (default: by the extension)")
      ->type_name(MovieCodecList())
      ->check(CLI::IsMember(MovieCodecNames()).description(""));
  render
      .add_option("--crf", c.crf,
                  "H.264 quality, 0 (lossless) to 51; lower is better and larger (18)")
      ->type_name("N")
      ->check(Within(0, 51));
  render.add_flag("-q,--quiet", c.quiet, "no progress on stderr");
  render
      .add_option("--max-pixels", c.max_pixels,
                  "refuse input images of more than N pixels (268435456, 16384 x 16384); no side "
                  "may exceed 30000, the largest frame a host hands over")
      ->type_name("N")
      ->check(Within<std::int64_t>(1, 900000000));
}

void AddEditor(CLI::App &app, CommandLine &c, Files &files, std::vector<std::string> &sets,
               std::vector<std::string> &keys) {
  CLI::App &editor = *app.add_subcommand("editor", "draw the gradient editor control as a picture");
  editor.add_option("OUT", files.out, "the picture (.png or another image format)")
      ->required()
      ->type_name("");
  AddEffectSettings(editor, c, sets, keys);
  editor.add_option("--scale", c.scale, "image pixels per panel pixel, 1 to 4 (1)")
      ->type_name("N")
      ->check(Within(1, 4));
  editor.add_option("--width", c.width, "width of the control in panel pixels, 30 to 4000 (300)")
      ->type_name("N")
      ->check(Within(30, 4000));
}

void AddChart(CLI::App &app, CommandLine &c, Files &files, std::string &size) {
  CLI::App &chart = *app.add_subcommand(
      "chart", "write a test chart: hue sweep, grey, saturation and alpha ramps, patches");
  chart.add_option("OUT", files.out, "the chart image")->required()->type_name("");
  chart.add_option("--size", size, "chart size (1024x512), each side 16 to 16384")
      ->type_name("WxH")
      ->check(CLI::Validator(
          [](std::string &text) -> std::string {
            const std::size_t x = text.find('x');
            int side = 0;
            for (const std::string &part :
                 {text.substr(0, x), x == std::string::npos ? "" : text.substr(x + 1)}) {
              if (!CLI::detail::lexical_cast(part, side) || side < 16 || side > 16384) {
                return "'" + text + "' is not WxH with sides from 16 to 16384";
              }
            }
            return {};
          },
          ""));
  chart.add_option("--depth", c.depth, "bits per channel (8)")
      ->type_name("8|16|32")
      ->check(kDepths);
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char *const *argv) {
  CommandLine c;
  std::vector<std::string> sets, keys;
  Files files;
  std::string size, help_topic;
  CLI::App app(kAbout, "huewarp");
  app.set_help_flag("-h,--help", "print this text; after a command, that command's options");
  app.fallthrough();  // --module and --help after the command too
  // An option given twice takes its last value, as shells' aliases and scripts expect.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.require_subcommand(0, 1);
  app.get_formatter()->column_width(34);
  app.add_option("--module", c.module,
                 "the effect module (default: $HUEWARP_MODULE, else the installed one, else "
                 "the built one)")
      ->type_name("PATH");
  app.add_flag("--version", c.version, "print the tool's version and the module's");
  AddRender(app, c, files, sets, keys);
  AddEditor(app, c, files, sets, keys);
  AddChart(app, c, files, size);
  app.add_subcommand("info", "print the registration, the About text and every parameter");
  app.add_subcommand("gradients", "list the named gradients --gradient takes");
  app.add_subcommand("help", "print this text, or a command's options")
      ->add_option("COMMAND", help_topic, "the command");
  app.footer(kFooter);  // after the commands, which would inherit it
  WrapDescriptions(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    c.help = app.help();
    return c;
  } catch (const CLI::ParseError &e) {
    const std::vector<CLI::App *> chosen = app.get_subcommands();
    const std::string command = chosen.empty() ? "huewarp" : "huewarp " + chosen[0]->get_name();
    throw ToolError(std::string(e.what()) + "; try '" + command + " --help'");
  }
  if (!app.get_subcommands().empty()) c.command = app.get_subcommands()[0]->get_name();
  if (c.command == "help") {
    const std::vector<CLI::App *> all = app.get_subcommands({});
    const auto named = std::find_if(all.begin(), all.end(), [&](const CLI::App *sub) {
      return sub->get_name() == help_topic && help_topic != "help";
    });
    CLI::App *topic = help_topic.empty() ? &app : named == all.end() ? nullptr : *named;
    if (!topic) {
      throw ToolError("help: no command " + Quoted(help_topic) + "; try 'huewarp --help'");
    }
    c.help = topic == &app ? app.help() : topic->help("huewarp");
    c.command.clear();
    return c;
  }
  if (c.command.empty() && !c.version) throw ToolError("no command given; try 'huewarp --help'");
  if (!files.in.empty()) c.files.push_back(files.in);
  if (!files.out.empty()) c.files.push_back(files.out);
  for (const std::string &s : sets) c.sets.push_back(Assign("--set", s, false));
  for (const std::string &k : keys) c.keys.push_back(Assign("--key", k, true));
  if (!size.empty()) {
    const std::size_t x = size.find('x');
    c.chart_width = std::stoi(size.substr(0, x));
    c.chart_height = std::stoi(size.substr(x + 1));
  }
  return c;
}

}  // namespace huewarp::tool
