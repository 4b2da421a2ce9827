#include "tools/command_line.h"

#include <functional>

#include "tools/gradients/color_spaces.h"
#include "tools/param_text.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

constexpr const char *kHelp = R"(usage: huewarp COMMAND [options]

Runs the Huewarp effect module in the simulated host, exactly as an effect host drives it.

Commands:
  render IN OUT         render an image, an image sequence or a movie through the effect
  editor OUT.png        draw the gradient editor control as a picture
  chart OUT             write a test chart: hue sweep, grey, saturation and alpha ramps, patches
  info                  print the registration, the About text and every parameter
  gradients             list the named gradients --gradient takes
  help                  print this text

Effect settings (render, editor), applied in this order:
  --project FILE        load settings saved with --save-project
  --gradient VALUE      the stops and handles fitted to a gradient: a name (see 'huewarp
                        gradients'), a GIMP .ggr, a GMT/cpt-city .cpt, the first
                        linearGradient of an .svg, or a CSS linear-gradient(...) given here
                        or in a .css/.txt file; prints the stop count and largest error.
                        --stops or --alphas given too replace its stops or its handles
  --gradient-tolerance N  largest difference from the gradient, in 8-bit steps (1)
  --gradient-space S    where the gradient's colours mix: srgb, linear, oklab or oklch
                        (srgb); a CSS gradient's own "in ..." takes precedence
  --stops LIST          the colour stops, "POS:#rrggbb,..." with POS 0..100 (up to 100 stops)
  --alphas LIST         the alpha handles, "POS:OPACITY,..." both 0..100 (up to 100 handles)
  --set "NAME=VALUE"    set a parameter by its name as the host shows it; VALUE is a popup
                        text, an angle in degrees, on/off/true/false/1/0, #rrggbb or a number
                        (percentages as plain numbers); replaces any keyframes. It arrives
                        as the user's change, so "Color", "Position", "Alpha Position" and
                        "Alpha Value" edit the current stop and handle, as in the host
  --key "NAME@TIME=VALUE"  add a keyframe; TIME is a frame number or seconds with "s" (2s)
  --save-project FILE   save the settings as JSON once they are applied
  'huewarp info' lists the names, their choices and ranges.

render options:
  --depth 8|16|32       bits per channel of the render and the output (default: the input's)
  --frames LIST         render these frames: "0-47", "1-3,5,7-20:2" (every second of 7 to
                        20); an image OUT (and IN, if it is a sequence) then needs a
                        frame-number pattern such as out.####.png or out.%04d.png; a movie's
                        frames count from 0
  --fps RATE            frames per second of images, for keyframe times and movie output
                        (30, 29.97 or 30000/1001; 30); a movie input keeps its own rate
  --jobs N              frames rendered at once (default: a few, by the processor count)
  --codec NAME          movie output codec: h264, prores (422 HQ), prores4444, ffv1
  --crf N               H.264 quality, 0 (lossless) to 51; lower is better and larger (18)
  -q, --quiet           no progress on stderr
  --max-pixels N        refuse input images of more than N pixels (268435456, 16384 x 16384);
                        no side may exceed 30000, the largest frame a host hands over

editor options:
  --scale N             image pixels per panel pixel (1 to 4; 1)
  --width N             width of the control in panel pixels (300)

chart options:
  --size WxH            chart size (1024x512)
  --depth 8|16|32       bits per channel (8)

General:
  --module PATH         the effect module (default: $HUEWARP_MODULE, else the built one)
  -h, --help            print this text

Images are read and written with OpenImageIO: PNG, TIFF, OpenEXR, JPEG and the other formats
it knows, chosen by the file extension. 16-bit files map 0..65535 to the effect's 0..32768 and
back with rounding to nearest; float renders go to formats without float (PNG) as 16 bits.

Movies are read with FFmpeg: any file it demuxes with a video stream (.mp4, .mov, .mkv, .avi,
.webm, .mxf, ...). Frames are rendered at 8 bits, or 16 for sources of more than 8 bits, with
times from the stream. Outputs by extension: .mp4 H.264 (yuv420p), .mov ProRes 422 HQ (10-bit;
ProRes 4444 when the input or the first rendered frame has alpha), .mkv FFV1 (lossless, alpha
kept). The output keeps the input's frame rate and time base; audio streams are copied as they
are, cut to the frames rendered when --frames is given. A movie can be written from an image
sequence (--frames and --fps) and an image sequence from a movie.

Alpha: the effect works on straight (unassociated) colour. Files read as premultiplied (OpenEXR,
TIFF with associated alpha) are divided by alpha on input and multiplied again on output to
OpenEXR; PNG and TIFF are read and written straight. Images without alpha get alpha 1. Output
keeps the alpha the effect produces wherever the format holds alpha; formats without alpha
(JPEG) get RGB, with the alpha dropped.

Outputs are written to a temporary file in the same folder and renamed when complete, so a
failure never leaves a partial OUT. Errors go to stderr as one line; the exit status is 1.
)";

struct Option {
  const char *name;
  bool has_value;
  const char *commands;  ///< Space-separated commands that accept it; empty for all.
  std::function<void(CommandLine &, const std::string &)> apply;
};

int Integer(const std::string &option, const std::string &text, int low, int high) {
  long long value = 0;
  if (!ParseInt(text, &value) || value < low || value > high) {
    throw ToolError(option + ": " + Quoted(text) + " is not a whole number from " +
                    std::to_string(low) + " to " + std::to_string(high));
  }
  return static_cast<int>(value);
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

const std::vector<Option> &Options() {
  static const std::vector<Option> options = {
      {"--module", true, "", [](CommandLine &c, const std::string &v) { c.module = v; }},
      {"--project", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.project = v; }},
      {"--save-project", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.save_project = v; }},
      {"--gradient", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.gradient = v; }},
      {"--gradient-tolerance", true, "render editor",
       [](CommandLine &c, const std::string &v) {
         double steps = 0;
         if (!ParseDouble(v, &steps) || !(steps >= 0.01 && steps <= 64)) {
           throw ToolError("--gradient-tolerance: " + Quoted(v) +
                           " is not a number of 8-bit steps from 0.01 to 64");
         }
         c.gradient_tolerance = steps;
       }},
      {"--gradient-space", true, "render editor",
       [](CommandLine &c, const std::string &v) {
         if (!GradientSpaceNamed(v)) {
           throw ToolError("--gradient-space: " + Quoted(v) +
                           " is not srgb, linear, oklab or oklch");
         }
         c.gradient_space = v;
       }},
      {"--stops", true, "render editor", [](CommandLine &c, const std::string &v) { c.stops = v; }},
      {"--alphas", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.alphas = v; }},
      {"--set", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.sets.push_back(Assign("--set", v, false)); }},
      {"--key", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.keys.push_back(Assign("--key", v, true)); }},
      {"--depth", true, "render chart",
       [](CommandLine &c, const std::string &v) {
         if (v != "8" && v != "16" && v != "32") {
           throw ToolError("--depth: " + Quoted(v) + " is not 8, 16 or 32");
         }
         c.depth = std::stoi(v);
       }},
      {"--frames", true, "render", [](CommandLine &c, const std::string &v) { c.frames = v; }},
      {"--fps", true, "render", [](CommandLine &c, const std::string &v) { c.fps = v; }},
      {"--jobs", true, "render",
       [](CommandLine &c, const std::string &v) { c.jobs = Integer("--jobs", v, 1, 64); }},
      {"--codec", true, "render",
       [](CommandLine &c, const std::string &v) {
         if (v != "h264" && v != "prores" && v != "prores4444" && v != "ffv1") {
           throw ToolError("--codec: " + Quoted(v) + " is not h264, prores, prores4444 or ffv1");
         }
         c.codec = v;
       }},
      {"--crf", true, "render",
       [](CommandLine &c, const std::string &v) { c.crf = Integer("--crf", v, 0, 51); }},
      {"--quiet", false, "render", [](CommandLine &c, const std::string &) { c.quiet = true; }},
      {"-q", false, "render", [](CommandLine &c, const std::string &) { c.quiet = true; }},
      {"--max-pixels", true, "render",
       [](CommandLine &c, const std::string &v) {
         c.max_pixels = Integer("--max-pixels", v, 1, 900000000);
       }},
      {"--scale", true, "editor",
       [](CommandLine &c, const std::string &v) { c.scale = Integer("--scale", v, 1, 4); }},
      {"--width", true, "editor",
       [](CommandLine &c, const std::string &v) { c.width = Integer("--width", v, 30, 4000); }},
      {"--size", true, "chart",
       [](CommandLine &c, const std::string &v) {
         const std::size_t x = v.find('x');
         if (x == std::string::npos) throw ToolError("--size: " + Quoted(v) + " is not WxH");
         c.chart_width = Integer("--size", v.substr(0, x), 16, 16384);
         c.chart_height = Integer("--size", v.substr(x + 1), 16, 16384);
       }},
      {"--fault", true, "render editor",
       [](CommandLine &c, const std::string &v) { c.faults.push_back(v); }},
      {"--help", false, "", [](CommandLine &c, const std::string &) { c.help = true; }},
      {"-h", false, "", [](CommandLine &c, const std::string &) { c.help = true; }},
  };
  return options;
}

bool Accepts(const Option &option, const std::string &command) {
  const std::string list = std::string(" ") + option.commands + " ";
  return std::string(option.commands).empty() ||
         list.find(" " + command + " ") != std::string::npos;
}

std::size_t ExpectedFiles(const std::string &command) {
  if (command == "render") return 2;
  if (command == "editor" || command == "chart") return 1;
  return 0;
}

}  // namespace

const char *HelpText() { return kHelp; }

CommandLine ParseCommandLine(int argc, const char *const *argv) {
  CommandLine c;
  int i = 1;
  // Options before the command are general ones (--module, --help).
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      c.help = true;
    } else if (arg == "--module" && i + 1 < argc) {
      c.module = argv[++i];
    } else if (arg.rfind("--module=", 0) == 0) {
      c.module = arg.substr(9);
    } else {
      throw ToolError("unknown option " + Quoted(arg) + " before the command");
    }
  }
  if (i == argc) {
    if (c.help) {
      c.command = "help";
      return c;
    }
    throw ToolError("no command given; try 'huewarp --help'");
  }
  c.command = argv[i++];
  if (c.command != "render" && c.command != "editor" && c.command != "chart" &&
      c.command != "info" && c.command != "gradients" && c.command != "help") {
    throw ToolError("unknown command " + Quoted(c.command) + "; try 'huewarp --help'");
  }
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.size() < 2 || arg[0] != '-') {
      c.files.push_back(arg);
      continue;
    }
    std::optional<std::string> value;
    if (const std::size_t equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != arg.npos) {
      value = arg.substr(equals + 1);
      arg.resize(equals);
    }
    const Option *option = nullptr;
    for (const Option &o : Options()) {
      if (arg == o.name) option = &o;
    }
    if (!option) throw ToolError("unknown option " + Quoted(arg) + "; try 'huewarp --help'");
    if (!Accepts(*option, c.command)) {
      throw ToolError("option " + Quoted(arg) + " does not apply to 'huewarp " + c.command + "'");
    }
    if (option->has_value && !value) {
      if (i + 1 >= argc) throw ToolError("option " + Quoted(arg) + " needs a value");
      value = argv[++i];
    } else if (!option->has_value && value) {
      throw ToolError("option " + Quoted(arg) + " takes no value");
    }
    option->apply(c, value.value_or(""));
  }
  if (c.help || c.command == "help") return c;
  const std::size_t expected = ExpectedFiles(c.command);
  if (c.files.size() != expected) {
    const std::string usage = c.command == "chart" ? "huewarp chart OUT [options]"
                              : expected == 2      ? "huewarp render IN OUT [options]"
                              : expected == 1      ? "huewarp editor OUT.png [options]"
                                                   : "huewarp " + c.command;
    throw ToolError("expected " + std::string(usage) +
                    (c.files.size() > expected ? "; unexpected " + Quoted(c.files[expected])
                                               : std::string("")));
  }
  return c;
}

}  // namespace huewarp::tool
