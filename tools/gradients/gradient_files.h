// Gradients from where users keep them: GIMP gradients (.ggr), GMT / cpt-city colour tables
// (.cpt), the first linearGradient of an SVG file, and CSS linear-gradient() texts. Each reader
// takes the file's text and a name for messages, and throws ToolError as one line naming the
// file and the line at fault.
#pragma once

#include <string>

#include "tools/gradients/source_gradient.h"

namespace huewarp::tool {

SourceGradient ReadGgr(const std::string &text, const std::string &file);
SourceGradient ReadCpt(const std::string &text, const std::string &file);
SourceGradient ReadSvg(const std::string &text, const std::string &file);
/// The first linear-gradient(...) in `text`; `file` empty when the text was given inline.
SourceGradient ReadCssGradient(const std::string &text, const std::string &file);

/// What --gradient names: a palette, an inline CSS gradient, or a file by its extension.
SourceGradient LoadGradient(const std::string &value);

}  // namespace huewarp::tool
