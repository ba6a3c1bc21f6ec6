#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/path.h"
#include "platform/file_system.h"
#include "platform/install_dirs.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#include "platform/windows_text.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace tarnwick {

std::string ExecutableFolder() {
#ifdef _WIN32
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
    if (length == 0) return {};
    if (length < wide.size()) {
      wide.resize(length);
      break;
    }
    wide.resize(wide.size() * 2);
  }
  std::string buffer = Utf8FromWide(wide);
#else
  std::error_code error;
  std::string buffer = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error || buffer.empty()) return {};
#endif
  return TextFromPath(PathFromText(buffer).parent_path());
}

std::string UserDataFolder() {
#ifdef _WIN32
  // The wide environment: the user's name in the folder may lie outside the ANSI code page.
  DWORD length = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (length <= 1) return {};
  std::wstring appData(length, L'\0');
  length = GetEnvironmentVariableW(L"APPDATA", appData.data(), length);
  appData.resize(length);
  if (appData.empty()) return {};
  return Utf8FromWide(appData) + "\\Tarnwick";
#else
  // The XDG base-directory rule: a relative or empty XDG_DATA_HOME is to be ignored.
  if (const char* dataHome = std::getenv("XDG_DATA_HOME");
      dataHome != nullptr && *dataHome == '/') {
    return (std::filesystem::path(dataHome) / "Tarnwick").string();
  }
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
  if (folder.empty() || !std::filesystem::is_directory(PathFromText(folder), error)) return false;
#ifdef _WIN32
  // Access rights on Windows are lists, not bits: trying is the only sure answer.
  std::wstring probe = WidePath(TextFromPath(PathFromText(folder) / "tarnwick-write-test.tmp"));
  HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
#else
  return access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

std::vector<std::string> InstallBinFolders() {
  std::vector<std::string> folders{kInstallBinFolder};
  if (*kPackageBinFolder != '\0' && folders.front() != kPackageBinFolder) {
    folders.push_back(kPackageBinFolder);
  }
  return folders;
}

bool IsInstallBinFolder(const std::string& folder, const std::vector<std::string>& binFolders) {
  FileSystem& fs = SystemFileSystem();
  FileIdentity identity;
  if (folder.empty() || !fs.FolderIdentity(folder, identity, nullptr)) return false;
  for (const std::string& binFolder : binFolders) {
    FileIdentity bin;
    if (!binFolder.empty() && fs.FolderIdentity(binFolder, bin, nullptr) && bin == identity)
      return true;
  }
  return false;
}

std::string ChooseProgramFolder(const ProgramFolderFacts& facts) {
  if (facts.installed) return facts.userDataFolder;
  if (facts.executableFolderWritable && !facts.executableFolder.empty()) {
    return facts.executableFolder;
  }
  if (!facts.userDataFolder.empty()) return facts.userDataFolder;
  return facts.executableFolder;
}

}  // namespace tarnwick
