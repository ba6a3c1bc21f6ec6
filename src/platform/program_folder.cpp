#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace tarnwick {

std::string ExecutableFolder() {
#ifdef _WIN32
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
#else
  std::error_code error;
  std::string buffer = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error || buffer.empty()) return {};
#endif
  return std::filesystem::path(buffer).parent_path().string();
}

std::string UserDataFolder() {
#ifdef _WIN32
  const char* appData = std::getenv("APPDATA");
  if (appData == nullptr || *appData == '\0') return {};
  return (std::filesystem::path(appData) / "Tarnwick").string();
#else
  std::string home;
  if (const char* value = std::getenv("HOME"); value != nullptr && *value != '\0') {
    home = value;
  } else if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir) {
    home = entry->pw_dir;
  }
  if (home.empty()) return {};
  return (std::filesystem::path(home) / ".local" / "share" / "Tarnwick").string();
#endif
}

bool FolderWritable(const std::string& folder) {
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return false;
#ifdef _WIN32
  // Access rights on Windows are lists, not bits: trying is the only sure answer.
  std::filesystem::path probe = std::filesystem::path(folder) / "tarnwick-write-test.tmp";
  HANDLE handle = CreateFileA(probe.string().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
#else
  return access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace tarnwick
