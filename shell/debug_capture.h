// Collects what one EffectMain call writes to the standard output and sends it to the debugger
// when the call ends. Calls on different threads each collect their own text and never wait for
// each other: while any call runs, the standard output's buffer is a router that hands each
// thread's text to that thread's capture.
#pragma once

#include <string>
#include <string_view>

namespace huewarp {

class StdoutCapture {
 public:
  StdoutCapture();
  /// Ends the capture without sending it (the path of an exception that is not an error code).
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture &) = delete;
  StdoutCapture &operator=(const StdoutCapture &) = delete;

  /// Sends the captured text to the debugger as one string, even when empty.
  void Send();

 private:
  std::string text_;
  std::string *previous_;
};

/// Writes to the standard output (the running command's capture).
void WriteTrace(std::string_view text);

/// Switches the standard output to fixed notation with 17 digits, as pre-render leaves it.
void SetTraceNumberFormat();

}  // namespace huewarp
