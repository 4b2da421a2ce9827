#include "tools/frame_pipeline.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <utility>
#include <mutex>
#include <thread>
#include <vector>

namespace huewarp::tool {
namespace {

class Pipeline {
 public:
  Pipeline(FrameSource &source, const RenderFunction &render, int jobs)
      : source_(source), render_(render), capacity_(static_cast<std::size_t>(jobs) + 2) {}

  void Read() {
    for (long sequence = 0;; ++sequence) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return failed_ || read_.size() < capacity_; });
        if (failed_) return;
      }
      PipelineFrame frame;
      try {
        if (!source_.Next(frame)) break;
      } catch (...) {
        Fail(std::current_exception());
        return;
      }
      std::lock_guard lock(mutex_);
      read_.emplace_back(sequence, std::move(frame));
      changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    reading_ = false;
    changed_.notify_all();
  }

  void Render() {
    for (;;) {
      std::pair<long, PipelineFrame> item;
      {
        std::unique_lock lock(mutex_);
        // Rendered frames waiting for an earlier one are bounded too; the earliest is always
        // in flight or done, since frames are taken in order.
        changed_.wait(lock, [&] {
          return failed_ || (!read_.empty() && rendered_.size() < capacity_) ||
                 (read_.empty() && !reading_);
        });
        if (failed_ || read_.empty()) return;
        item = std::move(read_.front());
        read_.pop_front();
        changed_.notify_all();
      }
      try {
        render_(item.second);
      } catch (...) {
        Fail(std::current_exception());
        return;
      }
      std::lock_guard lock(mutex_);
      rendered_.emplace(item.first, std::move(item.second));
      changed_.notify_all();
    }
  }

  /// The next frame in order, or nothing once every frame is written or something failed.
  std::optional<PipelineFrame> Take(long sequence) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
      return failed_ || rendered_.count(sequence) ||
             (!reading_ && read_.empty() && rendered_.empty() && busy_renderers_done());
    });
    auto it = rendered_.find(sequence);
    if (failed_ || it == rendered_.end()) return std::nullopt;
    PipelineFrame frame = std::move(it->second);
    rendered_.erase(it);
    changed_.notify_all();
    return frame;
  }

  void RendererDone() {
    std::lock_guard lock(mutex_);
    ++finished_renderers_;
    changed_.notify_all();
  }

  void Fail(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    if (!error_) error_ = std::move(error);
    failed_ = true;
    changed_.notify_all();
  }

  void set_renderers(int count) { renderers_ = count; }
  std::exception_ptr error() const { return error_; }

 private:
  bool busy_renderers_done() const { return finished_renderers_ == renderers_; }

  FrameSource &source_;
  const RenderFunction &render_;
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<long, PipelineFrame>> read_;
  std::map<long, PipelineFrame> rendered_;
  bool reading_ = true;
  bool failed_ = false;
  int renderers_ = 0;
  int finished_renderers_ = 0;
  std::exception_ptr error_;
};

}  // namespace

void RunPipeline(FrameSource &source, FrameSink &sink, const RenderFunction &render, int jobs,
                 Progress &progress) {
  Pipeline pipeline(source, render, jobs);
  pipeline.set_renderers(jobs);
  std::vector<std::thread> threads;
  threads.emplace_back([&] { pipeline.Read(); });
  for (int i = 0; i < jobs; ++i) {
    threads.emplace_back([&] {
      pipeline.Render();
      pipeline.RendererDone();
    });
  }
  for (long sequence = 0;; ++sequence) {
    std::optional<PipelineFrame> frame = pipeline.Take(sequence);
    if (!frame) break;
    try {
      sink.Write(*frame);
    } catch (...) {
      pipeline.Fail(std::current_exception());
      break;
    }
    progress.FrameDone(frame->number);
  }
  for (std::thread &t : threads) t.join();
  progress.Finish();
  if (pipeline.error()) std::rethrow_exception(pipeline.error());
  sink.Finish();
}

}  // namespace huewarp::tool
