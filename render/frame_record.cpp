#include "render/frame_record.h"

#include <cstdlib>
#include <utility>

#include "AE_EffectPixelFormat.h"
#include "core/fast_path.h"
#include "core/gradient.h"
#include "core/pixel_mapping.h"
#include "shell/allocation.h"

namespace huewarp {

void ReleaseFrameObjects(PreRenderData &record) {
  delete record.colorRamp;
  delete record.alphaRamp;
  DeleteFastPath(record.fastPath);
  record.colorRamp = nullptr;
  record.alphaRamp = nullptr;
  record.fastPath = nullptr;
}

void DeletePreRenderData(void *record) {
  if (!record) return;
  auto *data = static_cast<PreRenderData *>(record);
  ReleaseFrameObjects(*data);
  std::free(data);
}

PreRenderDataPtr NewPreRenderData() {
  auto *data = static_cast<PreRenderData *>(std::malloc(sizeof(PreRenderData)));
  if (!data) return nullptr;
  // Fields not read because of an error must still hold something defined.
  *data = MappingRecord(FrameSettings{});
  return PreRenderDataPtr(data);
}

void MakeFrameObjects(PreRenderData &record, const FrameSettings &settings, int bitdepth,
                      std::int64_t pixels, PF_Err &err) {
  record = MappingRecord(settings);  // a fresh record owns nothing yet
  Allocating(err, [&] {
    Gradient gradient = BuildGradient(settings.gradient);
    record.alphaRamp = new AlphaRamp(std::move(gradient.alphaRamp));
    record.colorRamp = new ColorRamp(std::move(gradient.colorRamp));
  });
  if (err) return;
  // Without memory for its tables the frame renders through the reference callbacks, same bits.
  PF_Err tables = PF_Err_NONE;
  Allocating(tables,
             [&] { record.fastPath = NewFastPath(record, bitdepth, pixels, HasHardwareFma()); });
}

}  // namespace huewarp
