#include "base/path.h"

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

}  // namespace tarnwick
