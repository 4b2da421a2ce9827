// huewarp gradients: the names --gradient takes, and the files it reads.
#include <cstdio>

#include "tools/commands.h"
#include "tools/gradients/palettes.h"

namespace huewarp::tool {

int RunGradients(const CommandLine &) {
  for (const std::string &name : PaletteNames()) {
    std::printf("%-10s %s\n", name.c_str(), PaletteDescription(name).c_str());
  }
  std::printf(
      "\n--gradient also reads GIMP gradients (.ggr), GMT and cpt-city colour tables (.cpt), the\n"
      "first linearGradient of an SVG file (.svg), and CSS linear-gradient(...) texts, given\n"
      "inline or in a .css or .txt file; \"in oklch\" and the other CSS spaces are followed.\n"
      "--gradient-space srgb|linear|oklab|oklch mixes names and files there instead of sRGB.\n");
  return 0;
}

}  // namespace huewarp::tool
