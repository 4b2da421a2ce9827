#include "tools/movie_render.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/mathematics.h>
}

#include "tools/frame_pipeline.h"
#include "tools/frame_time.h"
#include "tools/image_file.h"
#include "tools/movie_file.h"
#include "tools/pending_file.h"
#include "tools/settings.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

/// The frames to render in ascending order; none means every frame of a movie.
using FrameList = std::optional<std::vector<long>>;

FrameList SelectedFrames(const CommandLine &options) {
  if (!options.frames) return std::nullopt;
  std::vector<long> frames = ParseFrameList(*options.frames);
  // Sources read forwards: each frame once, in ascending order, whatever order the list gives.
  std::sort(frames.begin(), frames.end());
  frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
  return frames;
}

/// When a frame at `pts` is shown, counted from the movie's first frame: exact in the stream's
/// own ticks, so keyframes in seconds land where they should at any rate.
FrameTime TimeOfTimestamp(std::int64_t pts, std::int64_t origin, AVRational base, AVRational rate) {
  const std::int64_t ticks = (pts - origin) * base.num;
  const std::int64_t step =
      std::max<std::int64_t>(1, av_rescale_q(1, av_inv_q(rate), AVRational{1, base.den}));
  constexpr std::int64_t kLimit = 0x7fffffff;
  if (ticks >= -kLimit && ticks <= kLimit && step <= kLimit) {
    return {static_cast<A_long>(ticks), static_cast<A_long>(step), static_cast<A_u_long>(base.den)};
  }
  // Hours into a fine time base: milliseconds are still far finer than a frame.
  const AVRational ms{1, 1000};
  return {static_cast<A_long>(av_rescale_q(pts - origin, base, ms)),
          static_cast<A_long>(std::max<std::int64_t>(1, av_rescale_q(1, av_inv_q(rate), ms))),
          1000};
}

class MovieSource : public FrameSource {
 public:
  MovieSource(MovieReader &reader, const FrameList &frames) : reader_(reader), frames_(frames) {}

  bool Next(PipelineFrame &frame) override {
    for (;;) {
      if (frames_ && next_ == frames_->size()) return false;  // past the last one wanted
      host::World world(1, 1, reader_.depth());
      std::int64_t pts = 0;
      if (!reader_.Read(world, pts)) {
        if (frames_) {
          throw ToolError("--frames: " + Quoted(reader_.path()) + " has frames 0 to " +
                          std::to_string(number_ - 1) + ", not " +
                          std::to_string((*frames_)[next_]));
        }
        return false;
      }
      if (number_ == 0) origin_ = pts;
      const long number = number_++;
      if (frames_) {
        while (next_ < frames_->size() && (*frames_)[next_] < number) ++next_;
        if (next_ == frames_->size() || (*frames_)[next_] != number) continue;
        ++next_;
      }
      frame.number = number;
      frame.pts = pts;
      frame.time = TimeOfTimestamp(pts, origin_, reader_.time_base(), reader_.frame_rate());
      frame.input = std::move(world);
      return true;
    }
  }

 private:
  MovieReader &reader_;
  const FrameList &frames_;
  std::size_t next_ = 0;
  long number_ = 0;
  std::int64_t origin_ = 0;
};

/// Frames of an image sequence, or one still image for every frame.
class ImageSource : public FrameSource {
 public:
  ImageSource(const std::string &input, const std::vector<long> &frames, int depth, FrameRate rate)
      : input_(input), frames_(frames), depth_(depth), rate_(rate) {
    if (!HasFramePattern(input)) {
      ImageFile image = ReadImage(input, depth);
      has_alpha_ = image.has_alpha;
      still_ = std::move(image.world);
    }
  }

  bool Next(PipelineFrame &frame) override {
    if (next_ == frames_.size()) return false;
    const long number = frames_[next_++];
    frame.number = number;
    frame.pts = number - frames_.front();
    frame.time = TimeOfFrame(number, rate_);
    frame.input = still_ ? *still_ : ReadImage(FramePath(input_, number), depth_).world;
    return true;
  }

  bool has_alpha() const { return has_alpha_; }

 private:
  std::string input_;
  const std::vector<long> &frames_;
  int depth_;
  FrameRate rate_;
  std::optional<host::World> still_;
  bool has_alpha_ = false;
  std::size_t next_ = 0;
};

/// Whether any pixel is less than opaque.
bool HasTranslucency(const host::World &world) {
  for (int y = 0; y < world.height(); ++y) {
    for (int x = 0; x < world.width(); ++x) {
      if (world.GetFloat(x, y).alpha < 1.0f) return true;
    }
  }
  return false;
}

/// The movie is set up at its first frame, which decides whether alpha is kept.
class MovieSink : public FrameSink {
 public:
  MovieSink(const std::string &path, MovieOutput settings, bool source_alpha)
      : file_(path), settings_(std::move(settings)), source_alpha_(source_alpha) {}

  void Write(const PipelineFrame &frame) override {
    const host::World &world = *frame.output;
    if (!writer_) {
      settings_.alpha = source_alpha_ || HasTranslucency(world);
      settings_.start = frame.pts;
      writer_ = std::make_unique<MovieWriter>(file_, settings_, world.width(), world.height(),
                                              world.depth());
    }
    writer_->Write(world, frame.pts);
    end_ = frame.pts + std::max<std::int64_t>(
                           1, av_rescale_q(1, av_inv_q(settings_.frame_rate), settings_.time_base));
  }

  void Finish() override {
    if (!writer_) throw ToolError("cannot write " + Quoted(file_.path()) + ": no frames to write");
    writer_->Finish(end_);
    writer_.reset();
    file_.Commit();
  }

 private:
  PendingFile file_;
  MovieOutput settings_;
  bool source_alpha_;
  std::unique_ptr<MovieWriter> writer_;
  std::int64_t end_ = 0;
};

class ImageSink : public FrameSink {
 public:
  explicit ImageSink(const std::string &pattern) : pattern_(pattern) {}

  void Write(const PipelineFrame &frame) override {
    PendingFile file(FramePath(pattern_, frame.number));
    WriteImage(*frame.output, file, FormatOfDepth(frame.output->depth()));
    file.Commit();
  }
  void Finish() override {}

 private:
  std::string pattern_;
};

}  // namespace

bool NeedsMoviePath(const CommandLine &options) {
  return IsMovieFile(options.files[0]) || IsMovieFile(options.files[1]);
}

int RunMovieRender(const CommandLine &options) {
  const std::string &input = options.files[0];
  const std::string &output = options.files[1];
  const bool movie_in = IsMovieFile(input);
  const bool movie_out = IsMovieFile(output);
  const FrameList frames = SelectedFrames(options);
  FrameRate rate = ParseFrameRate(options.fps);

  if (!movie_in && !frames) {
    throw ToolError(
        Quoted(input) + " is " + (HasFramePattern(input) ? "a sequence" : "one picture") +
        "; say which frames make the movie with --frames A-B (and the rate with --fps)");
  }
  if (movie_out) {
    CheckMovieOutput(output, options.codec);
  } else {
    if (!options.codec.empty()) {
      throw ToolError("--codec: " + Quoted(output) + " is not a movie (.mp4, .mov or .mkv)");
    }
    if (!HasFramePattern(output) && !(frames && frames->size() == 1)) {
      throw ToolError("cannot write the frames of " + Quoted(input) + " to " + Quoted(output) +
                      ": give it a frame-number pattern such as out.####.png, or one frame "
                      "with --frames N");
    }
    CheckImageFormat(FramePath(output, frames ? frames->front() : 0));
  }

  std::unique_ptr<MovieReader> reader;
  if (movie_in) {
    reader = std::make_unique<MovieReader>(input, options.depth);
    const AVRational r = reader->frame_rate();
    rate = {static_cast<A_u_long>(r.num), static_cast<A_long>(r.den)};
  }

  const long total = frames ? static_cast<long>(frames->size()) : reader->frame_count();
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int jobs = options.jobs ? options.jobs : std::min(cores, 4);
  EffectSession session(ResolveModulePath(options.module), std::max(1, cores / jobs));
  ApplySettings(session.NewInstance(), options, rate);

  std::unique_ptr<FrameSource> source;
  bool source_alpha = false;
  MovieOutput settings;
  settings.codec = options.codec;
  settings.crf = options.crf;
  if (reader) {
    source = std::make_unique<MovieSource>(*reader, frames);
    source_alpha = reader->has_alpha();
    settings.time_base = reader->time_base();
    settings.frame_rate = reader->frame_rate();
    settings.audio_from = input;
    settings.trim = frames.has_value();
  } else {
    auto images = std::make_unique<ImageSource>(input, *frames, options.depth, rate);
    source_alpha = images->has_alpha();
    source = std::move(images);
    settings.time_base = {static_cast<int>(rate.frame_ticks), static_cast<int>(rate.ticks)};
    settings.frame_rate = {static_cast<int>(rate.ticks), static_cast<int>(rate.frame_ticks)};
  }
  std::unique_ptr<FrameSink> sink;
  if (movie_out) {
    sink = std::make_unique<MovieSink>(output, settings, source_alpha);
  } else {
    sink = std::make_unique<ImageSink>(output);
  }

  for (const std::string &fault : options.faults) session.ArmFault(fault);
  const RenderFunction render = [&](PipelineFrame &frame) {
    const host::World &in = *frame.input;
    frame.output.emplace(in.width(), in.height(), in.depth());
    try {
      session.Render(in, *frame.output, frame.time);
    } catch (const ToolError &e) {
      throw ToolError("cannot render " + Quoted(input) + " (frame " + std::to_string(frame.number) +
                      "): " + e.what());
    }
    frame.input.reset();  // the encoder needs only the output
  };
  Progress progress(total, options.quiet);
  RunPipeline(*source, *sink, render, jobs, progress);
  return 0;
}

}  // namespace huewarp::tool
