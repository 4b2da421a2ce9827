#include "shell/debug_capture.h"

#include <iostream>
#include <mutex>
#include <streambuf>

#ifdef _WIN32
extern "C" __declspec(dllimport) void __stdcall OutputDebugStringA(const char *text);
#else
// Provided by whatever loaded the module; weak so the module still loads without it.
extern "C" __attribute__((weak)) void OutputDebugStringA(const char *text);
#endif

namespace huewarp {
namespace {

thread_local std::string *t_capture = nullptr;

// Unbuffered, so every write is routed by the thread that makes it.
class RoutingBuffer : public std::streambuf {
 public:
  std::streambuf *original = nullptr;

 protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
  }
  std::streamsize xsputn(const char *s, std::streamsize n) override {
    if (t_capture) {
      t_capture->append(s, static_cast<std::size_t>(n));
      return n;
    }
    return original ? original->sputn(s, n) : 0;
  }
  int sync() override { return t_capture || !original ? 0 : original->pubsync(); }
};

RoutingBuffer g_router;
std::mutex g_install_mutex;  // held only while the router goes in or out
int g_active_calls = 0;
std::mutex g_stream_state_mutex;  // the stream's format state is shared by all threads

}  // namespace

StdoutCapture::StdoutCapture() : previous_(t_capture) {
  {
    std::lock_guard lock(g_install_mutex);
    if (g_active_calls++ == 0) g_router.original = std::cout.rdbuf(&g_router);
  }
  t_capture = &text_;
}

StdoutCapture::~StdoutCapture() {
  t_capture = previous_;
  std::lock_guard lock(g_install_mutex);
  if (--g_active_calls == 0) std::cout.rdbuf(g_router.original);
}

void StdoutCapture::Send() {
#ifdef _WIN32
  OutputDebugStringA(text_.c_str());
#else
  if (OutputDebugStringA) OutputDebugStringA(text_.c_str());
#endif
}

void WriteTrace(std::string_view text) {
  std::lock_guard lock(g_stream_state_mutex);
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void SetTraceNumberFormat() {
  std::lock_guard lock(g_stream_state_mutex);
  std::cout.setf(std::ios_base::fixed, std::ios_base::floatfield);
  std::cout.precision(17);
}

}  // namespace huewarp
