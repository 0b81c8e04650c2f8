#pragma once
// Line and number scanning shared by the lircd.conf and mode2 readers.

#include <cstdint>
#include <string_view>
#include <vector>

namespace ovalink::sim::text {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Whitespace-separated words of `line`, up to a `#` that starts a comment.
inline std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::size_t j = i;
    while (j < line.size() && !IsBlank(line[j]) && line[j] != '#') ++j;
    words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

// Calls `onLine(number, text)` for each line, numbered from 1.
template <typename F>
void ForEachLine(std::string_view text, F&& onLine) {
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    onLine(++number, text.substr(start, end - start));
    start = end + 1;
  }
}

// Number of lines as ForEachLine counts them (at least 1, for messages about the end).
inline int LineCount(std::string_view text) {
  int lines = 0;
  ForEachLine(text, [&](int, std::string_view) { ++lines; });
  return lines > 0 ? lines : 1;
}

// Decimal digits, or hexadecimal after 0x/0X when `hexAllowed`; false on anything else or
// on overflow of 64 bits.
inline bool ParseUnsigned(std::string_view word, std::uint64_t& value, bool hexAllowed) {
  unsigned base = 10;
  if (hexAllowed && word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    word.remove_prefix(2);
  }
  if (word.empty()) return false;
  std::uint64_t v = 0;
  for (char c : word) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = unsigned(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = unsigned(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = unsigned(c - 'A' + 10);
    } else {
      return false;
    }
    if (v > (UINT64_MAX - digit) / base) return false;
    v = v * base + digit;
  }
  value = v;
  return true;
}

}  // namespace ovalink::sim::text
