#include "tools/gradients/gradient_files.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/gradients/format_text.h"
#include "tools/gradients/palettes.h"

namespace huewarp::tool {
namespace {

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError("cannot read " + Quoted(path) + ": no such file or no permission");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw ToolError("cannot read " + Quoted(path));
  return text.str();
}

std::string NameList() {
  std::string list;
  for (const std::string &name : PaletteNames()) list += (list.empty() ? "" : ", ") + name;
  return list;
}

}  // namespace

SourceGradient LoadGradient(const std::string &value) {
  const std::string lower = format_text::Lower(value);
  if (lower.find("linear-gradient(") != std::string::npos) return ReadCssGradient(value, "");
  const std::string extension =
      format_text::Lower(std::filesystem::path(value).extension().string());
  if (extension == ".ggr") return ReadGgr(ReadText(value), value);
  if (extension == ".cpt") return ReadCpt(ReadText(value), value);
  if (extension == ".svg") return ReadSvg(ReadText(value), value);
  if (extension == ".css" || extension == ".txt") return ReadCssGradient(ReadText(value), value);
  if (std::optional<SourceGradient> palette = NamedPalette(lower)) return *palette;
  if (std::filesystem::exists(value)) {
    throw ToolError("--gradient: cannot tell the format of " + Quoted(value) +
                    " by its extension; give a .ggr, .cpt, .svg, .css or .txt file");
  }
  throw ToolError("--gradient: unknown gradient " + Quoted(value) + "; the names are " +
                  NameList() + ", or give a .ggr, .cpt, .svg, .css or .txt file");
}

}  // namespace huewarp::tool
