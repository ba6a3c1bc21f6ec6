#ifdef _WIN32

// Paths arrive as UTF-8 and go to the wide (UTF-16) file functions, so names that the ANSI code
// page cannot hold are found, copied and deleted like any other.

#include "platform/win32_folder.h"

#include "base/text.h"
#include "platform/entry_names.h"
#include "platform/file_system.h"
#include "platform/win32_copy.h"
#include "platform/win32_text_file.h"
#include "platform/windows_text.h"

namespace tarnwick {

using win32::Handle;
using win32::SetError;

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<Folder> Win32Folder::Open(const std::string& path, bool subfolder,
                                          std::string* error) {
  const std::wstring wide = WidePath(path.empty() ? std::string(".") : path);
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (subfolder ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  // Listing access takes part in sharing, so without FILE_SHARE_DELETE nobody can rename or
  // remove the folder while it is held. A folder that may not be listed, or that another holds
  // for deletion, is held for its identity only.
  HANDLE opened = INVALID_HANDLE_VALUE;
  DWORD code = ERROR_SUCCESS;
  if (subfolder) {
    opened =
        CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
    code = GetLastError();
    if (opened == INVALID_HANDLE_VALUE && code != ERROR_ACCESS_DENIED &&
        code != ERROR_SHARING_VIOLATION) {
      SetError(error, code);
      return nullptr;
    }
  }
  if (opened == INVALID_HANDLE_VALUE) {
    opened = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         flags, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
      SetError(error, subfolder ? code : GetLastError());
      return nullptr;
    }
  }
  Handle held(opened);
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(held.get(), &info)) {
    SetError(error, GetLastError());
    return nullptr;
  }
  // A junction or a link put in the way would carry the copies out of the FTP web, a mounted
  // volume onto another disk.
  const DWORD attributes = info.dwFileAttributes;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (subfolder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
    SetError(error, subfolder ? "a link or other entry is in the way" : "not a folder");
    return nullptr;
  }
  return std::make_unique<Win32Folder>(path, held.release());
}

bool Win32Folder::HeldIdentity(FileIdentity& identity) {
  return win32::HandleFolderIdentity(held_.get(), identity, nullptr);
}

bool Win32Folder::List(FolderListing& listing, std::string* error) {
  listing = FolderListing();
  std::string base = Path().empty() ? std::string(".") : Path();
  // "C:" alone means the drive's current folder; "C:\" its root. Both take "*" directly.
  std::string pattern = base;
  if (!IsPathSeparator(pattern.back()) && !(pattern.size() == 2 && pattern[1] == ':'))
    pattern += '\\';
  pattern += '*';
  std::wstring widePattern = WidePath(pattern);
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(widePattern.c_str(), &data));
  if (find.get() == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    // A drive root has no "." entry, so an empty one reports "no files" instead.
    if (code == ERROR_FILE_NOT_FOUND) {
      DWORD attributes = GetFileAttributesW(WidePath(base).c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    }
    SetError(error, code);
    return false;
  }
  std::string prefix = pattern.substr(0, pattern.size() - 1);
  do {
    const wchar_t* name = data.cFileName;
    if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
    std::string utf8 = Utf8FromWide(name);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // Junctions and links to folders are never entered, so no walk can loop.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (!win32::LinkLeadsToFile(WidePath(prefix + utf8), nullptr)) continue;
      listing.files.push_back(std::move(utf8));
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      listing.folders.push_back(std::move(utf8));
    } else if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)) {
      listing.files.push_back(std::move(utf8));
    }
  } while (FindNextFileW(find.get(), &data));
  DWORD code = GetLastError();
  if (code != ERROR_NO_MORE_FILES) {
    SetError(error, code);
    return false;
  }
  SortNames(listing.files);
  SortNames(listing.folders);
  return true;
}

std::optional<FindEntry> Win32Folder::LookUp(const std::string& name) {
  if (name.empty()) return std::nullopt;
  std::wstring wide = WidePath(PathOf(name));
  // Wildcards would make the look-up a search.
  if (WideFromUtf8(name).find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION target;
    if (!win32::LinkLeadsToFile(wide, &target)) return std::nullopt;
    return win32::EntryFromData(target.dwFileAttributes, target.ftCreationTime,
                                target.ftLastAccessTime, target.ftLastWriteTime,
                                target.nFileSizeHigh, target.nFileSizeLow, name);
  }
  return win32::EntryFromData(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                              data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow, name);
}

bool Win32Folder::Inaccessible(const std::string& name, std::string* reason) {
  std::wstring wide = WidePath(PathOf(name));
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD code = GetLastError();
    // Only these say that nothing is there; a drive that is not ready, a share that went
    // away or a folder without access on the way leave the question open.
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
      return false;
    SetError(reason, code);
    return true;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      SetError(reason, "a link to a folder");
      return true;
    }
    return false;  // a link that leads nowhere
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  if (file.valid()) return false;
  SetError(reason, GetLastError());
  return true;
}

bool Win32Folder::CreateFolder(const std::string& name, bool& made, std::string* error) {
  std::wstring wide = WidePath(PathOf(name));
  made = CreateDirectoryW(wide.c_str(), nullptr) != 0;
  if (made) return true;
  DWORD code = GetLastError();
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if ((code == ERROR_ALREADY_EXISTS || code == ERROR_ACCESS_DENIED) &&
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return true;
  SetError(error, code);
  return false;
}

std::unique_ptr<Folder> Win32Folder::OpenFolder(const std::string& name, std::string* error) {
  if (!IsEntryName(name)) {
    SetError(error, "not a name of an entry of the folder");
    return nullptr;
  }
  std::unique_ptr<Folder> folder = Open(PathOf(name), true, error);
  FileIdentity inner, outer;
  // A folder on another volume can only be reached through a reparse point, refused above;
  // should a file system show one otherwise, it is refused too.
  if (folder && folder->HeldIdentity(inner) && HeldIdentity(outer) &&
      inner.device != outer.device) {
    SetError(error, "another mount is in the way");
    return nullptr;
  }
  return folder;
}

bool Win32Folder::OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) {
  FileIdentity holder;
  HeldIdentity(holder);
  return win32::OpenForCopyAt(PathOf(name), name, holder, file, error);
}

bool Win32Folder::CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                             bool /*expectNew*/, std::string* error) {
  OpenedFile in;
  if (!from.OpenForCopy(fromName, in, error)) return false;
  FileIdentity here;
  const bool known = HeldIdentity(here);
  return win32::CopyOpenedFile(in, Path(), name, here, known, error);
}

bool Win32Folder::DeleteFile(const std::string& name, std::string* error) {
  std::wstring wide = WidePath(PathOf(name));
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    SetError(error, "is a folder");
    return false;
  }
  if (DeleteFileW(wide.c_str())) return true;
  SetError(error, GetLastError());
  return false;
}

bool Win32Folder::DeleteFolder(const std::string& name, std::string* error) {
  if (RemoveDirectoryW(WidePath(PathOf(name)).c_str())) return true;
  SetError(error, GetLastError());
  return false;
}

bool Win32Folder::Rename(const std::string& from, const std::string& to, std::string* error) {
  if (MoveFileExW(WidePath(PathOf(from)).c_str(), WidePath(PathOf(to)).c_str(),
                  MOVEFILE_REPLACE_EXISTING))
    return true;
  SetError(error, GetLastError());
  return false;
}

bool Win32Folder::ReadTextFile(const std::string& name, std::string& content, std::string* error) {
  return win32::ReadTextFileIn(Path(), name, content, error);
}

bool Win32Folder::ReplaceFile(const std::string& name, const std::string& content,
                              std::string* error) {
  return win32::ReplaceFileIn(Path(), name, content, error);
}

bool Win32Folder::AppendToFile(const std::string& name, const std::string& content,
                               std::string* error) {
  return win32::AppendToFileIn(Path(), name, content, error);
}

std::int64_t Win32Folder::WriteTimeStep(const std::string& probeName) {
  std::wstring wide = WidePath(PathOf(probeName));
  std::int64_t stored = 0;
  {
    Handle file(CreateFileW(wide.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return 1;
    std::uint64_t ticks =
        static_cast<std::uint64_t>(kProbeWriteTime / 100 + win32::kUnixEpochInFileTime);
    FILETIME probe{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    if (!SetFileTime(file.get(), nullptr, nullptr, &probe)) {
      file.Close();
      DeleteFileW(wide.c_str());
      return 1;
    }
  }
  // Read back from the folder entry, where FAT keeps its coarse time.
  WIN32_FILE_ATTRIBUTE_DATA data;
  const bool read = GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data);
  if (read) stored = win32::ToNanoseconds(data.ftLastWriteTime);
  DeleteFileW(wide.c_str());
  // The system keeps 100-ns steps at best; the probe's last two digits are never stored.
  if (!read) return 1;
  std::int64_t step = TimeStepOf(stored);
  return step < 100 ? 100 : step;
}

}  // namespace tarnwick

#endif  // _WIN32
