// The one exception the tool throws for anything the user should read: a single line that names
// the argument, parameter or file at fault. The entry point prints it as "huewarp: ..." and
// exits non-zero; nothing else is caught.
#pragma once

#include <stdexcept>
#include <string>

namespace huewarp::tool {

class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Text in single quotes, as messages name files and values.
inline std::string Quoted(const std::string &text) { return "'" + text + "'"; }

}  // namespace huewarp::tool
