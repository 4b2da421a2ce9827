// The effect's settings as a small JSON document: every parameter by identifier (with its name
// for the reader) with its value or keyframes and its hidden flag, and the editor record in the
// flattened form the effect itself produces. Parameters are matched by identifier on loading,
// as host projects match them; values are checked as the command line checks them.
#pragma once

#include <string>
#include <string_view>

#include "host/instance/instance.h"

namespace huewarp::tool {

/// Writes the instance's settings to `path` through a temporary file. Throws ToolError.
void SaveProjectFile(host::Instance &instance, const std::string &path);
/// Loads settings saved by SaveProjectFile into a freshly set-up instance. Throws ToolError
/// naming the file and the parameter at fault.
void LoadProjectFile(host::Instance &instance, const std::string &path);
/// Loads a project from its text. Throws ToolError, or a JSON parse error, naming what is wrong:
/// wrong types, out-of-range numbers, too many parameters or keyframes, nesting too deep.
void LoadProject(host::Instance &instance, std::string_view text);

}  // namespace huewarp::tool
