// Life of the per-frame record in one place: pre-render makes the block and then its ramps and
// tables, render releases those when it ends, and the host frees the block through
// DeletePreRenderData, which also releases whatever a frame that was never rendered still owns.
#pragma once

#include <cstdint>
#include <memory>

#include "AE_Effect.h"
#include "core/gradient_settings.h"
#include "core/pre_render_data.h"

namespace huewarp {

/// Destroys the ramps and the fast path and clears their pointers, so a second release does
/// nothing. The one release: render's end and the host's delete function both come here.
void ReleaseFrameObjects(PreRenderData &record);

/// The host's delete function: releases the record's objects, then frees the block. Null is
/// ignored.
void DeletePreRenderData(void *record);

struct PreRenderDataDeleter {
  void operator()(PreRenderData *record) const { DeletePreRenderData(record); }
};
/// Pre-render's record until the host takes it.
using PreRenderDataPtr = std::unique_ptr<PreRenderData, PreRenderDataDeleter>;

/// A malloc'd record with every field at a defined starting value and no objects yet; null when
/// out of memory.
PreRenderDataPtr NewPreRenderData();

/// Fills a record that owns nothing yet: its mapping fields from `settings`, the ramps and then,
/// unless `err` is set, the fast path for a frame of `pixels` pixels at `bitdepth`. No memory for
/// the ramps sets `err`, and what was made stays in the record for the release; no memory for the
/// tables leaves none, and the frame renders the slower way with the same pixels.
void MakeFrameObjects(PreRenderData &record, const FrameSettings &settings, int bitdepth,
                      std::int64_t pixels, PF_Err &err);

struct FrameObjectsReleaser {
  void operator()(PreRenderData *record) const { ReleaseFrameObjects(*record); }
};
/// Render's hold on the host's record: its objects go when render ends, the block stays the
/// host's.
using RenderedRecord = std::unique_ptr<PreRenderData, FrameObjectsReleaser>;

}  // namespace huewarp
