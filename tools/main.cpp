// huewarp: the effect module driven by the simulated host from the command line. Errors end
// here as one line on stderr and exit status 1.
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

#include "tools/command_line.h"
#include "tools/commands.h"
#include "tools/pending_file.h"
#include "tools/tool_error.h"

int main(int argc, char **argv) {
  using namespace huewarp::tool;
  TakeInterrupts();
  // A file-size limit is then a write error with a message, not a silent kill.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    const CommandLine options = ParseCommandLine(argc, argv);
    if (!options.help.empty()) {
      std::fputs(options.help.c_str(), stdout);
      return 0;
    }
    if (options.version) return RunVersion(options);
    if (options.command == "render") return RunRender(options);
    if (options.command == "editor") return RunEditor(options);
    if (options.command == "chart") return RunChart(options);
    if (options.command == "gradients") return RunGradients(options);
    return RunInfo(options);
  } catch (const ToolError &e) {
    std::fprintf(stderr, "huewarp: %s\n", e.what());
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "huewarp: out of memory\n");
  } catch (const std::exception &e) {
    // A library's own exception: still one line, but marked as unexpected.
    std::fprintf(stderr, "huewarp: internal error: %s\n", e.what());
  }
  return 1;
}
