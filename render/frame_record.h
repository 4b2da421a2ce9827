// Life of the per-frame record: allocated by pre-render, its ramps and tables destroyed by render,
// the block freed by the host through DeletePreRenderData.
#pragma once

#include <memory>

#include "core/pre_render_data.h"

namespace huewarp {

/// Frees the record; also destroys what a frame that was never rendered still owns. Null is
/// ignored.
void DeletePreRenderData(void *record);

/// Destroys both ramps and the fast path and clears the pointers, so a later delete does not free
/// them twice.
void DestroyOwned(PreRenderData &record);

struct PreRenderDataDeleter {
  void operator()(PreRenderData *record) const { DeletePreRenderData(record); }
};
using PreRenderDataPtr = std::unique_ptr<PreRenderData, PreRenderDataDeleter>;

/// A malloc'd record with every field at a defined starting value (no ramps yet); null when out
/// of memory.
PreRenderDataPtr NewPreRenderData();

}  // namespace huewarp
