// Frames from a source, through the effect, into a sink, as a pipeline: one thread reads and
// decodes, `jobs` threads render, and the calling thread writes the frames in their order, so
// reading and writing overlap with rendering. Queues are bounded: a slow writer holds the
// readers back instead of filling memory.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "host/render/world.h"
#include "tools/effect_session.h"
#include "tools/progress.h"

namespace huewarp::tool {

struct PipelineFrame {
  long number = 0;       ///< The frame's number in its source (sequence number or movie frame).
  FrameTime time;        ///< When the effect evaluates its parameters.
  std::int64_t pts = 0;  ///< The frame's timestamp in the source's time base.
  std::optional<host::World> input, output;
};

/// Called on the reading thread only.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  /// Fills `frame` with the next frame to render (its input world set); false at the end.
  virtual bool Next(PipelineFrame &frame) = 0;
};

/// Called on the writing thread only, in frame order.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void Write(const PipelineFrame &frame) = 0;
  /// After the last frame: flushes and commits the output.
  virtual void Finish() = 0;
};

/// Renders `frame.input` into `frame.output`; may run on several threads at once.
using RenderFunction = std::function<void(PipelineFrame &frame)>;

/// Runs the pipeline to the end or to the first error, which it rethrows once every thread has
/// stopped; frames already written stay written, and Finish is not called.
void RunPipeline(FrameSource &source, FrameSink &sink, const RenderFunction &render, int jobs,
                 Progress &progress);

}  // namespace huewarp::tool
