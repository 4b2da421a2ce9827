// Frames and times on the command line: a frame rate as an exact fraction, keyframe times in
// frames or seconds, frame ranges, and the frame-number patterns of sequence file names.
#pragma once

#include <string>
#include <vector>

#include "host/instance/param_stream.h"
#include "tools/effect_session.h"

namespace huewarp::tool {

/// Frames per second as `ticks` / `frame_ticks`: 30 is 30/1, 29.97 is 2997/100.
struct FrameRate {
  A_u_long ticks = 30;
  A_long frame_ticks = 1;
};

/// "30", "29.97" or "30000/1001"; throws ToolError naming --fps.
FrameRate ParseFrameRate(const std::string &text);
/// "48" (frames) or "2s", "1.5s" (seconds), exactly; `option` prefixes messages.
host::StreamTime ParseTime(const std::string &text, FrameRate rate, const std::string &option);
/// The time of frame `frame` at `rate`, as the host passes it to a command.
FrameTime TimeOfFrame(long frame, FrameRate rate);

/// "1-3,5,7-20:2" as render farms hand frames out: single frames, ranges A-B and ranges with a
/// step A-B:S, in the order given, each frame once; throws ToolError naming --frames.
std::vector<long> ParseFrameList(const std::string &text);

/// Whether a file name holds a frame-number pattern: a run of '#' (width by count) or %d, %0Nd.
bool HasFramePattern(const std::string &path);
/// The file name of one frame.
std::string FramePath(const std::string &pattern, long frame);

}  // namespace huewarp::tool
