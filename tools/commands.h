// One function per subcommand; each returns the process exit status and throws ToolError for
// anything the user must hear about.
#pragma once

#include "tools/command_line.h"

namespace huewarp::tool {

int RunRender(const CommandLine &options);
int RunEditor(const CommandLine &options);
int RunChart(const CommandLine &options);
int RunInfo(const CommandLine &options);
int RunGradients(const CommandLine &options);
/// --version: the tool's version and the loaded module's, as a host reads it, with its path.
int RunVersion(const CommandLine &options);

}  // namespace huewarp::tool
