#include "base/path.h"

#include "base/text.h"

namespace tarnwick {

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::string AddBackslash(const std::string& path) {
  if (!path.empty() && path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

std::string StripTrailingSeparators(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && IsPathSeparator(path[end - 1])) --end;
#ifdef _WIN32
  // Keep "C:\" a root.
  if (end == 2 && path.size() > 2 && path[1] == ':') end = 3;
#endif
  return path.substr(0, end);
}

std::string NameKey(std::string_view text) {
  if constexpr (kNamesIgnoreCase) return LowerCase(text);
  return std::string(text);
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && IsPathSeparator(path.back());
}

std::string_view BaseName(std::string_view path) {
  std::size_t start = path.size();
  while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
  return path.substr(start);
}

std::string ParentText(const std::string& path) {
  std::string parent = StripTrailingSeparators(path);
  std::size_t cut = std::string::npos;
  for (std::size_t i = parent.size(); i > 0; --i) {
    if (IsPathSeparator(parent[i - 1])) {
      cut = i - 1;
      break;
    }
  }
  parent = cut == std::string::npos ? std::string(".") : parent.substr(0, cut == 0 ? 1 : cut);
#ifdef _WIN32
  if (parent.size() == 2 && parent[1] == ':') parent += kPathSeparator;
#endif
  return parent;
}

}  // namespace tarnwick
