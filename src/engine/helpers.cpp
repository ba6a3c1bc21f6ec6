#include "engine/helpers.h"

#include <cstring>

#include "platform/file_system.h"

namespace tarnwick {

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first occurrence of separator in text, ignoring case; npos when missing.
std::size_t FindNoCase(std::string_view separator, std::string_view text) {
  if (separator.empty() || separator.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + separator.size() <= text.size(); ++i) {
    std::size_t j = 0;
    while (j < separator.size() && Lower(text[i + j]) == Lower(separator[j])) ++j;
    if (j == separator.size()) return i;
  }
  return std::string_view::npos;
}

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}
}  // namespace

std::string AddBackslash(const std::string& path) {
  if (!path.empty() && path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

std::string TrimNull(const std::string& text) {
  std::size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

bool MatchSpec(std::string_view name, std::string_view pattern) {
  // Iterative match with one back-tracking point for the last "*".
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string TrimSpaces(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && text[first] == ' ') ++first;
  while (last > first && text[last - 1] == ' ') --last;
  return std::string(text.substr(first, last - first));
}

std::string TextBefore(std::string_view separator, std::string_view text) {
  std::size_t p = FindNoCase(separator, text);
  if (p == std::string_view::npos) return std::string();
  return TrimSpaces(text.substr(0, p));
}

std::string TextAfter(std::string_view separator, std::string_view text) {
  std::size_t p = FindNoCase(separator, text);
  // A missing separator counts as found just before the text, as the old routine did.
  std::size_t start = (p == std::string_view::npos) ? separator.size() - 1 : p + separator.size();
  if (start >= text.size()) return std::string();
  return TrimSpaces(text.substr(start));
}

int CompareWriteTimes(const FindEntry& a, const FindEntry& b) {
  if (a.lastWriteTime < b.lastWriteTime) return -1;
  if (a.lastWriteTime > b.lastWriteTime) return 1;
  return 0;
}

std::int64_t FileSizeOf(const FindEntry& entry) { return static_cast<std::int64_t>(entry.size); }

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string StripTrailingSeparators(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && IsSeparator(path[end - 1])) --end;
#ifdef _WIN32
  // Keep "C:\" a root.
  if (end == 2 && path.size() > 2 && path[1] == ':') end = 3;
#endif
  return path.substr(0, end);
}

}  // namespace tarnwick
