// Life of the per-frame record: allocated by pre-render, its ramps destroyed by render, the block
// freed by the host through DeletePreRenderData.
#pragma once

#include <memory>

#include "render/pre_render_data.h"

namespace huewarp {

/// Frees the record; also destroys ramps of a frame that was never rendered. Null is ignored.
void DeletePreRenderData(void *record);

/// Destroys both ramps and clears the pointers, so a later delete does not free them twice.
void DestroyRamps(PreRenderData &record);

struct PreRenderDataDeleter {
  void operator()(PreRenderData *record) const { DeletePreRenderData(record); }
};
using PreRenderDataPtr = std::unique_ptr<PreRenderData, PreRenderDataDeleter>;

/// A malloc'd record with every field at a defined starting value (no ramps yet); null when out
/// of memory.
PreRenderDataPtr NewPreRenderData();

}  // namespace huewarp
