#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// True for the characters the platform takes as a folder separator ("\" and "/" on Windows).
bool IsPathSeparator(char c);

// Appends the folder separator unless the path already ends with it ("" gives a lone one).
std::string AddBackslash(const std::string& path);

// The path without separators at its end, except for a root ("/" or "C:\").
std::string StripTrailingSeparators(const std::string& path);

// Whether the platform takes names that differ only in letter case for one name.
#ifdef _WIN32
inline constexpr bool kNamesIgnoreCase = true;
#else
inline constexpr bool kNamesIgnoreCase = false;
#endif

// The text two names or paths are compared by: lowered where case does not tell names apart,
// the exact bytes elsewhere.
std::string NameKey(std::string_view text);

// Whether a path as the user gave it ends with a folder separator.
bool EndsWithSeparator(const std::string& path);

// The folder that holds path, as text ("." when it names none); only looked at, never made.
std::string ParentText(const std::string& path);

// The last name of a path: what follows its last separator.
std::string_view BaseName(std::string_view path);

// Paths travel through the core as UTF-8 texts. On Windows std::filesystem would read a narrow
// string in the ANSI code page, which cannot hold every file name, so it gets UTF-8 explicitly.
inline std::filesystem::path PathFromText(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(text);
#endif
}

inline std::string TextFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

}  // namespace tarnwick
