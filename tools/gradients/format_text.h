// Small pieces shared by the gradient file readers: lines with their numbers, whitespace tokens,
// numbers in the C locale, and the one-line error that names the file and line.
#pragma once

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tool_error.h"

namespace huewarp::tool::format_text {

inline std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

inline std::vector<std::string> Tokens(std::string_view line) {
  std::vector<std::string> tokens;
  std::string current;
  for (const char c : line) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  return tokens;
}

inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

inline std::string Lower(std::string_view text) {
  std::string s(text);
  for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

/// The whole token as a finite number.
inline bool Number(std::string_view token, double *value) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), *value);
  return ec == std::errc() && end == token.data() + token.size() && std::isfinite(*value);
}

/// "'file' line N" for messages.
inline std::string Where(const std::string &file, std::size_t line) {
  return Quoted(file) + " line " + std::to_string(line);
}

[[noreturn]] inline void Fail(const std::string &file, std::size_t line, const std::string &what) {
  throw ToolError(Where(file, line) + ": " + what);
}

}  // namespace huewarp::tool::format_text
