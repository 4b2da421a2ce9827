#include "tools/frame_time.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <unordered_set>

#include "tools/param_text.h"
#include "tools/tool_error.h"

namespace huewarp::tool {
namespace {

bool AllDigits(const std::string &text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// A decimal "12.345" as 12345 / 1000, exactly; false for anything else.
bool ParseDecimal(const std::string &text, std::int64_t *numerator, std::int64_t *denominator) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string unsigned_text = text.substr(negative || (!text.empty() && text[0] == '+'));
  const std::size_t dot = unsigned_text.find('.');
  const std::string whole = unsigned_text.substr(0, dot);
  const std::string fraction = dot == std::string::npos ? "" : unsigned_text.substr(dot + 1);
  if (whole.empty() || whole.size() > 9 || !AllDigits(whole) || fraction.size() > 6 ||
      !AllDigits(fraction) || (dot != std::string::npos && fraction.empty())) {
    return false;
  }
  *denominator = 1;
  for (std::size_t i = 0; i < fraction.size(); ++i) *denominator *= 10;
  *numerator = std::stoll(whole + fraction) * (negative ? -1 : 1);
  return true;
}

bool FitsLong(std::int64_t v) {
  return v >= std::numeric_limits<A_long>::min() && v <= std::numeric_limits<A_long>::max();
}

/// Where the frame-number pattern of `path` starts, how long it is and how many digits it asks
/// for; `length` 0 when there is none.
struct Pattern {
  std::size_t start = 0, length = 0;
  int width = 0;
};

Pattern FindPattern(const std::string &path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '#') {
      const std::size_t end = path.find_first_not_of('#', i);
      const std::size_t length = (end == std::string::npos ? path.size() : end) - i;
      return {i, length, static_cast<int>(length)};
    }
    if (path[i] == '%') {
      std::size_t j = i + 1;
      while (j < path.size() && path[j] >= '0' && path[j] <= '9') ++j;
      const std::string digits = path.substr(i + 1, j - i - 1);
      if (j < path.size() && path[j] == 'd' && (digits.empty() || digits[0] == '0') &&
          digits.size() <= 3) {
        return {i, j + 1 - i, digits.empty() ? 0 : std::stoi(digits)};
      }
    }
  }
  return {};
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

std::vector<long> ParseFrameList(const std::string &text) {
  constexpr long long kLimit = 10'000'000;
  constexpr std::size_t kMostFrames = 1'000'000;
  std::vector<long> frames;
  std::unordered_set<long> seen;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    start = comma + 1;
    // The dash between two frames is the first one after the first character, so that negative
    // frames work: "-5--1".
    const std::size_t colon = item.find(':');
    const std::string range = item.substr(0, colon);
    const std::size_t dash = range.find('-', 1);
    long long first = 0, last = 0, step = 1;
    bool ok = colon == std::string::npos ||
              (dash != std::string::npos && ParseInt(item.substr(colon + 1), &step) && step >= 1);
    if (dash == std::string::npos) {
      ok = ok && ParseInt(range, &first);
      last = first;
    } else {
      ok = ok && ParseInt(range.substr(0, dash), &first) && ParseInt(range.substr(dash + 1), &last);
    }
    if (!ok || last < first || first <= -kLimit || last >= kLimit) {
      throw ToolError("--frames: " + Quoted(item) + (item == text ? "" : " in " + Quoted(text)) +
                      " is not a frame N, a range A-B or a range with a step A-B:S");
    }
    for (long long frame = first; frame <= last; frame += step) {
      if (!seen.insert(static_cast<long>(frame)).second) continue;
      if (frames.size() == kMostFrames) {
        throw ToolError("--frames: " + Quoted(text) + " holds more than " +
                        std::to_string(kMostFrames) + " frames");
      }
      frames.push_back(static_cast<long>(frame));
    }
  }
  return frames;
}

bool HasFramePattern(const std::string &path) { return FindPattern(path).length > 0; }

std::string FramePath(const std::string &pattern, long frame) {
  const Pattern p = FindPattern(pattern);
  if (!p.length) return pattern;
  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*ld", p.width, frame);
  return pattern.substr(0, p.start) + digits + pattern.substr(p.start + p.length);
}

}  // namespace huewarp::tool
