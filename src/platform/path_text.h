#pragma once

#include <filesystem>
#include <string>

namespace tarnwick {

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
