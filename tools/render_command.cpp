// huewarp render: one image, or a sequence of frames rendered a few at a time.
#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "tools/commands.h"
#include "tools/effect_session.h"
#include "tools/frame_time.h"
#include "tools/image_file.h"
#include "tools/movie_render.h"
#include "tools/pending_file.h"
#include "tools/progress.h"
#include "tools/settings.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

struct RenderPlan {
  std::string input, output;    ///< Names or frame-number patterns.
  std::vector<long> frames{0};  ///< In the order given.
  FrameRate rate;
  int depth = 0;
  bool sequence = false;
  bool quiet = false;
  std::int64_t max_pixels = kDefaultMaxPixels;
};

/// Renders one frame from `still` (or the frame's own input file) into its output file.
void RenderFrame(EffectSession &session, const RenderPlan &plan, const ImageFile *still,
                 long frame) {
  const std::string in_path = FramePath(plan.input, frame);
  const std::string out_path = FramePath(plan.output, frame);
  PendingFile file(out_path);
  std::optional<ImageFile> own;
  if (!still) own = ReadImage(in_path, plan.depth, plan.max_pixels);
  const ImageFile &input = still ? *still : *own;
  host::World output(input.world.width(), input.world.height(), input.world.depth());
  try {
    session.Render(input.world, output, TimeOfFrame(frame, plan.rate));
  } catch (const ToolError &e) {
    throw ToolError("cannot render " + Quoted(in_path) +
                    (plan.sequence ? " (frame " + std::to_string(frame) + ")" : "") + ": " +
                    e.what());
  }
  WriteImage(output, file,
             plan.depth ? FormatOfDepth(static_cast<host::Depth>(plan.depth)) : input.format);
  file.Commit();
}

/// Workers take frames in order; the first error stops new frames, finished ones stay.
void RenderFrames(EffectSession &session, const RenderPlan &plan, const ImageFile *still,
                  int jobs) {
  std::atomic<std::size_t> next = 0;
  std::atomic<bool> failed = false;
  std::mutex error_mutex;
  std::optional<ToolError> error;
  Progress progress(static_cast<long>(plan.frames.size()), plan.quiet);
  auto work = [&] {
    while (!failed) {
      const std::size_t index = next++;
      if (index >= plan.frames.size()) return;
      const long frame = plan.frames[index];
      try {
        RenderFrame(session, plan, still, frame);
      } catch (const std::exception &e) {
        // Any failure stops the sequence; the entry point reports it.
        std::lock_guard lock(error_mutex);
        if (!error) error = ToolError(e.what());
        failed = true;
        return;
      }
      if (plan.sequence) progress.FrameDone(frame);
    }
  };
  std::vector<std::thread> workers;
  for (int i = 1; i < jobs; ++i) workers.emplace_back(work);
  work();
  for (std::thread &t : workers) t.join();
  progress.Finish();
  if (error) throw *error;
}

}  // namespace

int RunRender(const CommandLine &options) {
  if (NeedsMoviePath(options)) return RunMovieRender(options);
  RenderPlan plan;
  plan.input = options.files[0];
  plan.output = options.files[1];
  plan.rate = ParseFrameRate(options.fps);
  plan.depth = options.depth;
  if (options.max_pixels) plan.max_pixels = options.max_pixels;
  plan.sequence = options.frames.has_value();
  plan.quiet = options.quiet;
  if (options.frames) plan.frames = ParseFrameList(*options.frames);
  const bool output_pattern = HasFramePattern(plan.output);
  if (plan.sequence && plan.frames.size() > 1 && !output_pattern) {
    throw ToolError("cannot write frames " + *options.frames + " to " + Quoted(plan.output) +
                    ": give it a frame-number pattern such as out.####.png");
  }
  if (!plan.sequence && (output_pattern || HasFramePattern(plan.input))) {
    throw ToolError(Quoted(output_pattern ? plan.output : plan.input) +
                    " is a sequence; say which frames with --frames, such as 0-47");
  }
  CheckImageFormat(FramePath(plan.output, plan.frames.front()));

  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int jobs = static_cast<int>(std::min<long>(options.jobs ? options.jobs : std::min(cores, 4),
                                                   static_cast<long>(plan.frames.size())));
  EffectSession session(ResolveModulePath(options.module), std::max(1, cores / jobs));
  ApplySettings(session.NewInstance(), options, plan.rate);

  std::optional<ImageFile> still;
  if (!HasFramePattern(plan.input)) still = ReadImage(plan.input, plan.depth, plan.max_pixels);
  for (const std::string &fault : options.faults) session.ArmFault(fault);
  RenderFrames(session, plan, still ? &*still : nullptr, jobs);
  return 0;
}

}  // namespace huewarp::tool
