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
  *data = PreRenderData{};
  data->pixelFormat = PF_PixelFormat_INVALID;
  data->inputRange = kInputMinRgb;
  data->valuesOver1 = kValuesOver1Bounce;
  data->cycleScale = 1.0f;
  return PreRenderDataPtr(data);
}

void MakeFrameObjects(PreRenderData &record, const GradientSettings &settings, int bitdepth,
                      std::int64_t pixels, PF_Err &err) {
  Allocating(err, [&] {
    Gradient gradient = BuildGradient(settings);
    record.alphaRamp = new AlphaRamp(std::move(gradient.alphaRamp));
    record.colorRamp = new ColorRamp(std::move(gradient.colorRamp));
  });
  if (!err) record.fastPath = NewFastPath(record, bitdepth, pixels, HasHardwareFma());
}

}  // namespace huewarp
