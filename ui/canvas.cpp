#include "ui/canvas.h"

#include "shell/drawbot_access.h"

namespace huewarp {

void FillRect(const Canvas &canvas, const DRAWBOT_RectF32 &rect, const DRAWBOT_ColorRGBA &color,
              PF_Err &err) {
  if (err) return;
  const DRAWBOT_SupplierSuite1 &supplier = *canvas.suites.supplier_suiteP;
  DrawbotObject<DRAWBOT_PathRef> path(supplier);
  DrawbotObject<DRAWBOT_BrushRef> brush(supplier);
  err = supplier.NewPath(canvas.supplier, path.receive());
  if (!err) err = supplier.NewBrush(canvas.supplier, &color, brush.receive());
  if (!err) err = canvas.suites.path_suiteP->AddRect(path.get(), &rect);
  if (!err) {
    err = canvas.suites.surface_suiteP->FillPath(canvas.surface, brush.get(), path.get(),
                                                 kDRAWBOT_FillType_Winding);
  }
  KeepFirst(err, brush.Release());
  KeepFirst(err, path.Release());
}

}  // namespace huewarp
