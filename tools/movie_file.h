// Movie files in and out of the effect's worlds, through FFmpeg (libavformat, libavcodec,
// libswscale). Frames are read in presentation order as 8-bit RGBA, or 16-bit for sources of more
// than 8 bits; RGB sources of 8 or 16 bits are copied exactly, others go through swscale with the
// stream's colour matrix and range. Outputs are H.264, ProRes or FFV1 by extension or choice (one
// table row per codec), keeping odd sizes whole, with the audio streams of a source movie copied
// packet for packet. 16-bit codes map to the effect's
// scale as image files do. Every failure is a ToolError naming the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

#include "host/render/world.h"
#include "tools/pending_file.h"

namespace huewarp::tool {

/// Whether `path` names a movie by its extension (.mp4, .mov, .mkv, .avi, .webm, ...).
bool IsMovieFile(const std::string &path);

class MovieReader {
 public:
  /// Opens the best video stream of `path` and its decoder; frames come at `depth` (8, 16 or
  /// 32), or 0 for the source's own: 16 above 8 bits, else 8.
  MovieReader(const std::string &path, int depth);
  ~MovieReader();
  MovieReader(const MovieReader &) = delete;
  MovieReader &operator=(const MovieReader &) = delete;

  /// The next frame in presentation order and its timestamp in time_base(); false at the end.
  bool Read(host::World &world, std::int64_t &pts);

  const std::string &path() const;
  int width() const;
  int height() const;
  host::Depth depth() const;
  bool has_alpha() const;
  AVRational time_base() const;
  AVRational frame_rate() const;
  /// What the container says; 0 when it does not know.
  long frame_count() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

struct MovieOutput {
  std::string codec;  ///< h264, prores, prores4444, ffv1; empty chooses by extension and alpha.
  int crf = 18;
  AVRational time_base{1, 30};
  AVRational frame_rate{30, 1};
  bool alpha = false;      ///< Keep alpha where the default codec can (ProRes 4444, FFV1).
  std::string audio_from;  ///< A movie whose audio streams are copied; empty for none.
  /// A part of a movie: audio before `start` (in time_base) is left out and every stream is
  /// moved back by `start`, so the part starts at 0.
  bool trim = false;
  std::int64_t start = 0;
};

/// The names --codec takes, in the order of the writer's codec table.
std::vector<std::string> MovieCodecNames();

/// Fails now, before any work, when `path` names no movie container this tool writes or
/// `codec` cannot go into it.
void CheckMovieOutput(const std::string &path, const std::string &codec);

class MovieWriter {
 public:
  /// Sets up the encoder and the container in the temporary file of `file`, for frames of
  /// `depth`; the caller commits after Finish.
  MovieWriter(PendingFile &file, const MovieOutput &settings, int width, int height,
              host::Depth depth);
  ~MovieWriter();
  MovieWriter(const MovieWriter &) = delete;
  MovieWriter &operator=(const MovieWriter &) = delete;

  /// Encodes one frame (any depth) with timestamp `pts` in the output's time base.
  void Write(const host::World &world, std::int64_t pts);
  /// Drains the encoder, copies the rest of the audio (of a trimmed part, up to `end` in the
  /// source's time base) and closes the file.
  void Finish(std::int64_t end);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace huewarp::tool
