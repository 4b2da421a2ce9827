// The effect settings of the command line applied to an instance, in a fixed order: the project
// file, the gradient, plain values, keyframes; then the settings are saved if asked.
#pragma once

#include "host/instance/instance.h"
#include "tools/command_line.h"
#include "tools/frame_time.h"

namespace huewarp::tool {

/// Throws ToolError naming the option, file or parameter at fault.
void ApplySettings(host::Instance &instance, const CommandLine &options, FrameRate rate);

}  // namespace huewarp::tool
