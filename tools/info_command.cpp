// huewarp info and --version: what the module tells a host about itself.
#include <cstdio>
#include <string>

#include "tools/commands.h"
#include "tools/effect_session.h"
#include "tools/param_text.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

/// A four-character code as the text it spells, when it spells one.
std::string FourCc(std::int32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xff);
    if (c < 0x20 || c > 0x7e) return "";
    text += c;
  }
  return " '" + text + "'";
}

std::string Flags(std::uint32_t flags) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", flags);
  return text;
}

}  // namespace

int RunInfo(const CommandLine &options) {
  EffectSession session(ResolveModulePath(options.module), 1);
  const host::Registration &r = session.host().registration();
  std::printf("Module: %s\n\nRegistration (the effect's call of the host's callback):\n",
              session.module_path().c_str());
  std::printf("  data          %s\n", r.data ? "the host's record, passed back" : "null");
  std::printf("  name          %s\n", r.name.c_str());
  std::printf("  match name    %s\n", r.match_name.c_str());
  std::printf("  category      %s\n", r.category.c_str());
  std::printf("  entry point   %s\n", r.entry_point.c_str());
  std::printf("  kind          %d%s\n", r.kind, FourCc(r.kind).c_str());
  std::printf("  API version   %d.%d\n", r.api_major, r.api_minor);
  std::printf("  reserved      %d\n", r.reserved);

  const host::CommandResult about = session.host().About();
  if (about.err) throw ToolError("the effect's About failed: " + DescribeError(about.err));
  std::string text = about.out.return_msg;
  for (char &c : text) {
    if (c == '\r') c = '\n';
  }
  std::printf("\nAbout:\n%s\n", text.c_str());

  host::Instance &instance = session.NewInstance();
  std::printf("\nParameters (%d, the input layer included):\n", instance.ParamCount());
  std::printf("%5s %4s  %-14s %-32s %-6s %-6s %s\n", "index", "id", "type", "name", "flags", "ui",
              "default; accepts");
  for (PF_ParamIndex i = 0; i < instance.ParamCount(); ++i) {
    const PF_ParamDef def = instance.Definition(i);
    std::string value;
    if (instance.HasStream(i)) {
      value = FormatValue(def, DeclaredValue(def)) + "; " + AcceptedValues(def);
    } else if (def.param_type == PF_Param_ARBITRARY_DATA) {
      value = "the editor's record";
    }
    std::printf("%5d %4d  %-14s %-32s %-6s %-6s %s\n", i, def.uu.id, TypeName(def).c_str(),
                (std::string("\"") + def.name + "\"").c_str(), Flags(def.flags).c_str(),
                Flags(def.ui_flags).c_str(), value.c_str());
  }
  return 0;
}

int RunVersion(const CommandLine &options) {
  std::printf("huewarp %s\n", HUEWARP_VERSION_STRING);
  std::fflush(stdout);
  EffectSession session(ResolveModulePath(options.module), 1);
  std::printf("module %s %s\n", session.module_version().c_str(), session.module_path().c_str());
  return 0;
}

}  // namespace huewarp::tool
