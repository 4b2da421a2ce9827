#include "tools/settings.h"

#include <cstdio>

#include "host/instance/supervision.h"
#include "tools/effect_session.h"
#include "tools/gradient_slots.h"
#include "tools/gradients/color_spaces.h"
#include "tools/gradients/gradient_files.h"
#include "tools/gradients/gradient_fit.h"
#include "tools/param_text.h"
#include "tools/project_file.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

/// The stops and handles fitted to --gradient; what the source holds that the effect cannot
/// show, and how close the fit came, go to stderr.
void FitGradientOption(const CommandLine &options, std::optional<std::vector<StopText>> &stops,
                       std::optional<std::vector<AlphaText>> &alphas) {
  SourceGradient source = LoadGradient(*options.gradient);
  MixIn(source, *GradientSpaceNamed(options.gradient_space));
  for (const std::string &note : source.notes)
    std::fprintf(stderr, "huewarp: note: %s\n", note.c_str());
  const FittedGradient fit = FitGradient(source, options.gradient_tolerance / 255.0);
  stops.emplace();
  for (const FittedStop &s : fit.stops) {
    stops->push_back(
        {s.percent, host::ParamValue::Color(PF_PixelFloat{1, s.red, s.green, s.blue})});
  }
  alphas.emplace();
  for (const FittedHandle &h : fit.handles) alphas->push_back({h.percent, h.value_percent});
  std::fprintf(stderr, "huewarp: %s\n",
               FitSummary(source.name, fit, options.gradient_tolerance).c_str());
}

}  // namespace

void ApplySettings(host::Instance &instance, const CommandLine &options, FrameRate rate) {
  if (!options.project.empty()) LoadProjectFile(instance, options.project);

  std::optional<std::vector<StopText>> stops;
  std::optional<std::vector<AlphaText>> alphas;
  // The gradient gives stops and handles; --stops and --alphas, when given too, replace them.
  if (options.gradient) FitGradientOption(options, stops, alphas);
  if (options.stops) stops = ParseStops(*options.stops);
  if (options.alphas) alphas = ParseAlphas(*options.alphas);
  ApplyGradient(instance, stops, alphas);

  const ParamNames names(instance);
  for (const Assignment &set : options.sets) {
    try {
      const PF_ParamIndex index = names.Find(set.name);
      const host::ParamValue value = ParseValue(names.def(index), set.value);
      // Keyframes go first; then the value arrives as the user's change, which the effect
      // reconciles (a proxy moves its stop) when it supervises the parameter.
      if (instance.SetStream(index, host::ParamStream(instance.Stream(index)->constant()))) {
        throw ToolError("the host refused the value");
      }
      const host::UserChange change = host::UserSetsValue(instance, index, value);
      if (change.err) throw ToolError("the host refused the value: " + DescribeError(change.err));
      if (change.sent && change.command.err) {
        throw ToolError("the effect failed to take the change: " +
                        DescribeError(change.command.err));
      }
    } catch (const ToolError &e) {
      throw ToolError(set.option + ": " + e.what());
    }
  }
  for (const Assignment &key : options.keys) {
    try {
      const PF_ParamIndex index = names.Find(key.name);
      if (names.def(index).flags & PF_ParamFlag_CANNOT_TIME_VARY) {
        throw ToolError("parameter " + names.Name(index) + " cannot be keyframed");
      }
      const host::StreamTime time = ParseTime(key.time, rate, "time");
      const host::ParamValue value = ParseValue(names.def(index), key.value);
      host::ParamStream stream = *instance.Stream(index);
      stream.SetKeyframe(time, value);
      if (instance.SetStream(index, std::move(stream))) {
        throw ToolError("the host refused the keyframe");
      }
    } catch (const ToolError &e) {
      throw ToolError(key.option + ": " + e.what());
    }
  }

  if (!options.save_project.empty()) SaveProjectFile(instance, options.save_project);
}

}  // namespace huewarp::tool
