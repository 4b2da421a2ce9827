#include "render/frame_record.h"

#include <cstdlib>

#include "AE_EffectPixelFormat.h"
#include "core/fast_path.h"
#include "core/gradient.h"
#include "core/pixel_mapping.h"

namespace huewarp {

void DestroyOwned(PreRenderData &record) {
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
  DestroyOwned(*data);
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

}  // namespace huewarp
