// The command line: a subcommand, its files and its options, read by CLI11 into a plain record.
// Only the shape is checked here (known options, values present, numbers in range); what the
// values mean to the effect is checked where they are applied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace huewarp::tool {

/// One --set NAME=VALUE or --key NAME@TIME=VALUE, with the option as typed for messages.
struct Assignment {
  std::string name;
  std::string time;  ///< Empty for --set.
  std::string value;
  std::string option;
};

struct CommandLine {
  std::string command;  ///< render, editor, info, chart or gradients; empty with help or version
  std::vector<std::string> files;
  std::string module;
  // Effect settings, applied in this order: project, gradient, stops and alphas, --set, --key.
  std::string project;
  std::string save_project;
  std::optional<std::string> gradient;
  double gradient_tolerance = 1;  ///< In 8-bit steps.
  /// Where --gradient's colours mix when the source does not say: srgb, linear, oklab, oklch.
  std::string gradient_space = "srgb";
  std::optional<std::string> stops;
  std::optional<std::string> alphas;
  std::vector<Assignment> sets;
  std::vector<Assignment> keys;
  // Output.
  int depth = 0;  ///< 8, 16 or 32; 0 follows the input.
  std::optional<std::string> frames;
  std::string fps = "30";
  int jobs = 0;       ///< Frames rendered at once; 0 chooses.
  std::string codec;  ///< Movie output codec; empty follows the extension.
  int crf = 18;       ///< H.264 constant rate factor: lower is better and larger.
  bool quiet = false;
  std::int64_t max_pixels = 0;  ///< Largest input image in pixels; 0 is the default limit.
  int scale = 1;
  int width = 0;  ///< Editor picture width in panel pixels; 0 is the control's own.
  int chart_width = 1024, chart_height = 512;
  /// Host operations to fail once rendering starts (for tests of the failure paths).
  std::vector<std::string> faults;
  bool version = false;
  /// The help asked for (the tool's or one command's); empty when none was.
  std::string help;
};

/// Reads argv; throws ToolError with CLI11's one-line message for a malformed command line.
CommandLine ParseCommandLine(int argc, const char *const *argv);

}  // namespace huewarp::tool
