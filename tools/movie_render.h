// huewarp render with a movie on either side: a movie into a movie or an image sequence, or an
// image sequence (or one still, repeated) into a movie, through the frame pipeline.
#pragma once

#include "tools/command_line.h"

namespace huewarp::tool {

/// Whether the render command's files call for the movie path.
bool NeedsMoviePath(const CommandLine &options);

int RunMovieRender(const CommandLine &options);

}  // namespace huewarp::tool
