// huewarp editor: the gradient editor control as the effect draws it. The host sends the
// control a draw event, as the Effect Controls panel does, and the recorded drawing is
// rasterised with Cairo.
#include "host/ui/cairo_raster.h"
#include "host/ui/events.h"
#include "tools/commands.h"
#include "tools/effect_session.h"
#include "tools/image_file.h"
#include "tools/pending_file.h"
#include "tools/settings.h"
#include "tools/tool_error.h"

namespace huewarp::tool {

int RunEditor(const CommandLine &options) {
  const std::string &path = options.files[0];
  CheckImageFormat(path);
  EffectSession session(ResolveModulePath(options.module), 1);
  host::Instance &instance = session.NewInstance();
  ApplySettings(instance, options, ParseFrameRate(options.fps));
  const std::optional<PF_CustomUIInfo> ui = instance.CustomUi();
  if (!ui || host::ControlParamIndex(instance) < 0) {
    throw ToolError("the effect registered no editor control");
  }
  PendingFile file(path);
  for (const std::string &fault : options.faults) session.ArmFault(fault);

  // The panel gives the control the height it asked for and the width of the panel.
  const PF_ParamDef control = instance.Definition(host::ControlParamIndex(instance));
  const PF_Rect frame{0, 0, options.width ? options.width : 300, control.ui_height};
  host::EventResult drawn = host::SendEvent(instance, host::DrawEvent(frame));
  if (drawn.command.err) {
    throw ToolError("cannot draw the editor into " + Quoted(path) +
                    ": the effect failed: " + DescribeError(drawn.command.err));
  }
  if (!drawn.drawing) throw ToolError("the effect drew nothing");

  const host::Raster raster =
      host::Raster::Render(*drawn.drawing, host::RasterOptions{.scale = options.scale});
  host::World picture(raster.width(), raster.height(), host::Depth::k8);
  for (int y = 0; y < raster.height(); ++y) {
    PF_Pixel *row = picture.Row<PF_Pixel>(y);
    for (int x = 0; x < raster.width(); ++x) {
      const host::Rgba8 p = raster.Pixel(x, y);
      row[x] = {p.alpha, p.red, p.green, p.blue};
    }
  }
  WriteImage(picture, file, FormatOfDepth(host::Depth::k8));
  file.Commit();
  return 0;
}

}  // namespace huewarp::tool
