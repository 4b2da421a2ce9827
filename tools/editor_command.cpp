// huewarp editor: the gradient editor control as the effect draws it.
#include "tools/commands.h"
#include "tools/tool_error.h"

namespace huewarp::tool {

int RunEditor(const CommandLine &) {
  throw ToolError("editor pictures are not available in this build");
}

}  // namespace huewarp::tool
