#ifdef _WIN32

#include "platform/file_system.h"
#include "platform/win32_folder.h"
#include "platform/win32_support.h"
#include "platform/windows_text.h"

namespace tarnwick {
namespace {

using win32::Handle;
using win32::HandleFolderIdentity;
using win32::OpenForInformation;
using win32::SetError;

// The final path of an open file or folder, links and junctions resolved, in the usual drive
// or share form.
bool FinalPath(HANDLE handle, std::wstring& final) {
  DWORD length = GetFinalPathNameByHandleW(handle, nullptr, 0, VOLUME_NAME_DOS);
  if (length == 0) return false;
  final.assign(length, L'\0');
  length = GetFinalPathNameByHandleW(handle, final.data(), length, VOLUME_NAME_DOS);
  if (length == 0 || length >= final.size()) return false;
  final.resize(length);
  if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
    final = L"\\\\" + final.substr(8);
  else if (final.rfind(L"\\\\?\\", 0) == 0)
    final = final.substr(4);
  return true;
}

// The length of the root of a full path: "C:\" or "\\server\share\".
std::size_t RootLength(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':') return 3;
  if (path.rfind(L"\\\\", 0) == 0) {
    std::size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return path.size();
    std::size_t share = path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share + 1;
  }
  return path.empty() ? 0 : 1;
}

class Win32FileSystem final : public FileSystem {
 public:
  bool ConcurrentDeletes() const override { return true; }

  std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) override {
    return Win32Folder::Open(path, false, error);
  }

  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override {
    // Opened for listing, so a folder that cannot be read has no identity here either.
    Handle handle(CreateFileW(WidePath(folder).c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return HandleFolderIdentity(handle.get(), identity, error);
  }

  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override {
    chain.clear();
    Handle handle(OpenForInformation(WidePath(folder)));
    FileIdentity identity;
    if (!HandleFolderIdentity(handle.get(), identity, error)) return false;
    chain.push_back(identity);
    // The folders above are those of the final path, so a junction or a link on the way shows
    // where the folder really lies; ".." was taken off the text before the system opened it.
    std::wstring path;
    if (!FinalPath(handle.get(), path)) {
      DWORD length = GetFullPathNameW(WidePath(folder).c_str(), 0, nullptr, nullptr);
      path.assign(length, L'\0');
      length = GetFullPathNameW(WidePath(folder).c_str(), length, path.data(), nullptr);
      path.resize(length);
      if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
    }
    const std::size_t root = RootLength(path);
    while (path.size() > root && path.back() == L'\\') path.pop_back();
    while (path.size() > root) {
      std::size_t cut = path.find_last_of(L'\\');
      path.resize(cut == std::wstring::npos || cut < root ? root : cut);
      Handle above(OpenForInformation(WidePath(Utf8FromWide(path))));
      if (!HandleFolderIdentity(above.get(), identity, error)) return false;
      if (identity != chain.back()) chain.push_back(identity);
    }
    return true;
  }

  LockOutcome LockFolder(const std::string& folder, FolderLock& lock, std::string* error) override {
    // The right to add files to the folder, shared with nobody: a second holder cannot open it
    // so, while listing the folder (which shares that right) and reading, writing and deleting
    // inside it go on. The handle closes when the process ends, however it ends.
    HANDLE handle =
        CreateFileW(WidePath(folder).c_str(), FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      DWORD code = GetLastError();
      SetError(error, code);
      return code == ERROR_SHARING_VIOLATION ? LockOutcome::kBusy : LockOutcome::kUnavailable;
    }
    lock = FolderLock(reinterpret_cast<std::intptr_t>(handle));
    return LockOutcome::kTaken;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

std::string FollowFileLinks(const std::string& path) {
  std::wstring wide = WidePath(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return path;
  // The system resolves the chain for a link whose file exists.
  Handle target(OpenForInformation(wide));
  std::wstring final;
  return target.valid() && FinalPath(target.get(), final) ? Utf8FromWide(final) : path;
}

}  // namespace tarnwick

#endif  // _WIN32
