#include "tools/frame_time.h"

#include <cstdint>
#include <cstdio>
#include <limits>
#include <regex>

#include "tools/param_text.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

/// A decimal "12.345" as 12345 / 1000, exactly; false for anything else.
bool ParseDecimal(const std::string &text, std::int64_t *numerator, std::int64_t *denominator) {
  static const std::regex kDecimal(R"(([+-]?)(\d{1,9})(?:\.(\d{1,6}))?)");
  std::smatch m;
  if (!std::regex_match(text, m, kDecimal)) return false;
  const std::string fraction = m[3].str();
  *denominator = 1;
  for (std::size_t i = 0; i < fraction.size(); ++i) *denominator *= 10;
  *numerator = std::stoll(m[2].str() + fraction) * (m[1].str() == "-" ? -1 : 1);
  return true;
}

bool FitsLong(std::int64_t v) {
  return v >= std::numeric_limits<A_long>::min() && v <= std::numeric_limits<A_long>::max();
}

const std::regex &PatternRegex() {
  static const std::regex kPattern(R"(#+|%(0\d+)?d)");
  return kPattern;
}

}  // namespace

FrameRate ParseFrameRate(const std::string &text) {
  std::int64_t numerator = 0, denominator = 1;
  bool ok = false;
  if (const std::size_t slash = text.find('/'); slash != std::string::npos) {
    long long n = 0, d = 0;
    ok = ParseInt(text.substr(0, slash), &n) && ParseInt(text.substr(slash + 1), &d) && d > 0;
    numerator = n;
    denominator = d;
  } else {
    ok = ParseDecimal(text, &numerator, &denominator);
  }
  if (!ok || numerator <= 0 || !FitsLong(numerator) || !FitsLong(denominator) ||
      static_cast<double>(numerator) / static_cast<double>(denominator) > 1000) {
    throw ToolError("--fps: " + Quoted(text) +
                    " is not a frame rate such as 30, 29.97 or 30000/1001 (at most 1000)");
  }
  return {static_cast<A_u_long>(numerator), static_cast<A_long>(denominator)};
}

host::StreamTime ParseTime(const std::string &text, FrameRate rate, const std::string &option) {
  std::int64_t numerator = 0, denominator = 1;
  if (!text.empty() && text.back() == 's') {
    if (ParseDecimal(text.substr(0, text.size() - 1), &numerator, &denominator) &&
        FitsLong(numerator)) {
      return {static_cast<A_long>(numerator), static_cast<A_u_long>(denominator)};
    }
  } else if (long long frame = 0; ParseInt(text, &frame)) {
    const std::int64_t ticks = static_cast<std::int64_t>(frame) * rate.frame_ticks;
    if (frame > -(1LL << 31) && frame < (1LL << 31) && FitsLong(ticks)) {
      return {static_cast<A_long>(ticks), rate.ticks};
    }
  }
  throw ToolError(option + ": " + Quoted(text) +
                  " is not a time; write a frame number (48) or seconds (2s, 1.5s)");
}

FrameTime TimeOfFrame(long frame, FrameRate rate) {
  return {static_cast<A_long>(frame * rate.frame_ticks), rate.frame_ticks, rate.ticks};
}

FrameRange ParseFrameRange(const std::string &text) {
  static const std::regex kRange(R"((-?\d{1,7})(?:-(-?\d{1,7}))?)");
  std::smatch m;
  if (std::regex_match(text, m, kRange)) {
    FrameRange range{std::stol(m[1].str()), std::stol(m[2].matched ? m[2].str() : m[1].str())};
    if (range.last >= range.first) return range;
  }
  throw ToolError("--frames: " + Quoted(text) + " is not a range such as 0-47");
}

bool HasFramePattern(const std::string &path) { return std::regex_search(path, PatternRegex()); }

std::string FramePath(const std::string &pattern, long frame) {
  std::smatch m;
  if (!std::regex_search(pattern, m, PatternRegex())) return pattern;
  const std::string token = m[0].str();
  const int width = token[0] == '#' ? static_cast<int>(token.size())
                    : m[1].matched  ? std::stoi(m[1].str())
                                    : 0;
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*ld", width, frame);
  return m.prefix().str() + digits + m.suffix().str();
}

}  // namespace huewarp::tool
