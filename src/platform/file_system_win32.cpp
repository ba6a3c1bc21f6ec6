#ifdef _WIN32

// Paths arrive as UTF-8 and go to the wide (UTF-16) file functions, so names that the ANSI code
// page cannot hold are found, copied and deleted like any other. Text file contents are kept
// in the ANSI code page (see windows_text.h).

#include <random>
#include <vector>

#include "base/text.h"
#include "platform/file_system.h"
#include "platform/windows_api.h"
#include "platform/windows_text.h"

namespace tarnwick {
namespace {

// 100-ns steps between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000LL;

std::int64_t ToNanoseconds(const FILETIME& t) {
  std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  return (ticks - kUnixEpochInFileTime) * 100;
}

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer) text = Utf8FromWide(std::wstring_view(buffer, length));
  if (buffer) LocalFree(buffer);
  // Callers add their own full stop.
  while (!text.empty() &&
         (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

void SetError(std::string* error, DWORD code) {
  if (error) *error = SystemMessage(code);
}

void SetError(std::string* error, const char* text) {
  if (error) *error = text;
}

std::string BaseName(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && IsPathSeparator(path[end - 1])) --end;
  std::size_t start = end;
  while (start > 0 && !IsPathSeparator(path[start - 1]) && path[start - 1] != ':') --start;
  return path.substr(start, end - start);
}

std::string ParentFolder(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return ".";
  }
  if (cut == 0 || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

FindEntry EntryFromData(DWORD attributes, const FILETIME& created, const FILETIME& accessed,
                        const FILETIME& written, DWORD sizeHigh, DWORD sizeLow, std::string name) {
  FindEntry entry;
  // The attribute bits are the system's own; the named ones have the same values.
  entry.attributes = attributes;
  if (entry.attributes == 0) entry.attributes = kAttrNormal;
  entry.creationTime = ToNanoseconds(created);
  entry.lastAccessTime = ToNanoseconds(accessed);
  entry.lastWriteTime = ToNanoseconds(written);
  entry.size = (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? 0
                   : (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
  entry.name = std::move(name);
  return entry;
}

// Closes a handle on every path out of a function.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  bool Close() {
    if (!valid()) return true;
    bool ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

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

// Opens what the path leads to (links followed) for reading its attributes only.
HANDLE OpenForInformation(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A link to a file counts as the file it leads to; anything else behind a reparse point
// (junctions, links to folders, dangling links) is passed over.
bool LinkLeadsToFile(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  Handle target(OpenForInformation(path));
  BY_HANDLE_FILE_INFORMATION local;
  if (!info) info = &local;
  if (!target.valid() || !GetFileInformationByHandle(target.get(), info)) return false;
  return (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WriteAll(HANDLE handle, const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr)) return false;
    data += written;
    left -= written;
  }
  return true;
}

bool ReadAll(HANDLE handle, std::string& bytes) {
  char buffer[1 << 16];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(handle, buffer, sizeof buffer, &read, nullptr)) return false;
    if (read == 0) return true;
    bytes.append(buffer, read);
  }
}

FileIdentity IdentityFromInformation(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The identity of what an open handle names; false with the reason, or when it is no folder.
bool HandleFolderIdentity(const Handle& handle, FileIdentity& identity, std::string* error) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) {
    SetError(error, GetLastError());
    return false;
  }
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetError(error, ERROR_DIRECTORY);
    return false;
  }
  identity = IdentityFromInformation(info);
  return true;
}

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

// One generator per thread: a run and the window's own saves may write side by side.
std::mt19937_64& TempNameRandom() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  return random;
}

// Whether two paths name one directory entry: the same name (without regard to case) in the
// same folder. Two entries of one file (hard links) are not the same entry.
bool SameEntry(const std::string& a, const std::string& b) {
  if (LowerCase(BaseName(a)) != LowerCase(BaseName(b))) return false;
  BY_HANDLE_FILE_INFORMATION pa, pb;
  Handle ha(OpenForInformation(WidePath(ParentFolder(a))));
  Handle hb(OpenForInformation(WidePath(ParentFolder(b))));
  if (!ha.valid() || !hb.valid() || !GetFileInformationByHandle(ha.get(), &pa) ||
      !GetFileInformationByHandle(hb.get(), &pb))
    return true;  // cannot tell: the caller refuses rather than risk writing the source
  return pa.dwVolumeSerialNumber == pb.dwVolumeSerialNumber &&
         pa.nFileIndexHigh == pb.nFileIndexHigh && pa.nFileIndexLow == pb.nFileIndexLow;
}

// The copies are the program's own: a read-only source must not make them read-only, or no
// later run could bring them up to date.
void KeepWritable(const std::wstring& path, DWORD sourceAttributes) {
  if (sourceAttributes & FILE_ATTRIBUTE_READONLY) {
    DWORD attributes = sourceAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
  }
}

// A new file beside the target, moved over it once complete, so that nothing else that shares
// the target's content is touched and the target is whole at every moment.
bool CopyUnderTempName(const std::wstring& from, const std::string& to, std::string* error) {
  std::string folder = ParentFolder(to);
  if (!folder.empty() && !IsPathSeparator(folder.back()) && folder.back() != ':') folder += '\\';
  const std::string prefix = folder + ReplaceTempPrefix(BaseName(to));
  std::wstring temp;
  DWORD code = ERROR_SUCCESS;
  bool made = false;
  for (int attempt = 0; attempt < 100 && !made; ++attempt) {
    temp = WidePath(prefix + std::to_string(TempNameRandom()() % 1000000000));
    made = CopyFileW(from.c_str(), temp.c_str(), TRUE) != 0;
    code = GetLastError();
    if (!made && code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) break;
  }
  if (!made) {
    SetError(error, code);
    return false;
  }
  DWORD attributes = GetFileAttributesW(temp.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) KeepWritable(temp, attributes);
  if (!MoveFileExW(temp.c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    code = GetLastError();
    DeleteFileW(temp.c_str());
    SetError(error, code);
    return false;
  }
  return true;
}

class Win32FileSystem final : public FileSystem {
 public:
  bool ConcurrentDeletes() const override { return true; }

  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) override {
    listing.files.clear();
    listing.folders.clear();
    std::string base = folder.empty() ? std::string(".") : folder;
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
        if (!LinkLeadsToFile(WidePath(prefix + utf8), nullptr)) continue;
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

  std::optional<FindEntry> LookUp(const std::string& path) override {
    if (path.empty()) return std::nullopt;
    std::wstring wide = WidePath(path);
    // Wildcards would make the look-up a search.
    if (wide.find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
      BY_HANDLE_FILE_INFORMATION target;
      if (!LinkLeadsToFile(wide, &target)) return std::nullopt;
      return EntryFromData(target.dwFileAttributes, target.ftCreationTime, target.ftLastAccessTime,
                           target.ftLastWriteTime, target.nFileSizeHigh, target.nFileSizeLow,
                           BaseName(path));
    }
    return EntryFromData(data.dwFileAttributes, data.ftCreationTime, data.ftLastAccessTime,
                         data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow,
                         BaseName(path));
  }

  bool Inaccessible(const std::string& path, std::string* reason) override {
    std::wstring wide = WidePath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD code = GetLastError();
      // Only these say that nothing is there; a drive that is not ready, a share that went
      // away or a folder without access on the way leave the question open.
      if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
          code == ERROR_INVALID_NAME)
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

  bool CreateFolder(const std::string& path, std::string* error) override {
    std::wstring wide = WidePath(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    DWORD code = GetLastError();
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if ((code == ERROR_ALREADY_EXISTS || code == ERROR_ACCESS_DENIED) &&
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return true;
    SetError(error, code);
    return false;
  }

  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    std::wstring wideFrom = WidePath(from);
    std::wstring wideTo = WidePath(to);
    BY_HANDLE_FILE_INFORMATION source;
    {
      Handle in(OpenForInformation(wideFrom));
      if (!in.valid() || !GetFileInformationByHandle(in.get(), &source)) {
        SetError(error, GetLastError());
        return false;
      }
    }
    if (source.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      SetError(error, "not a regular file");
      return false;
    }
    // Set when the target must not be written in place: a new file takes its name instead.
    bool replace = false;
    DWORD target = GetFileAttributesW(wideTo.c_str());
    if (target != INVALID_FILE_ATTRIBUTES) {
      if (target & FILE_ATTRIBUTE_DIRECTORY) {
        SetError(error, "a folder of that name is in the way");
        return false;
      }
      if (target & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Never write through a link: it could lead outside the FTP web.
        if (!DeleteFileW(wideTo.c_str())) {
          SetError(error, GetLastError());
          return false;
        }
      } else {
        BY_HANDLE_FILE_INFORMATION existing;
        Handle out(OpenForInformation(wideTo));
        if (out.valid() && GetFileInformationByHandle(out.get(), &existing)) {
          if (existing.dwVolumeSerialNumber == source.dwVolumeSerialNumber &&
              existing.nFileIndexHigh == source.nFileIndexHigh &&
              existing.nFileIndexLow == source.nFileIndexLow && SameEntry(from, to)) {
            SetError(error, "source and target are the same file");
            return false;
          }
          // A hard link shares its content with other names, perhaps the source's own:
          // writing it in place would change them all.
          replace = existing.nNumberOfLinks > 1;
        }
        out.Close();
        if (target & FILE_ATTRIBUTE_READONLY) {
          // A copy that only took the attribute from its read-only source is ours to replace;
          // one the user made read-only is not.
          if (!(source.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
            SetError(error, "the target is read-only");
            return false;
          }
          replace = true;
        }
        // The system refuses to replace a hidden, system or read-only file with a plain one;
        // the target takes the source's attributes anyway.
        if (target & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY))
          SetFileAttributesW(wideTo.c_str(), FILE_ATTRIBUTE_NORMAL);
      }
    }
    if (replace) return CopyUnderTempName(wideFrom, to, error);
    // Keeps the content, the attributes and the last-write time, replacing the target.
    if (!CopyFileW(wideFrom.c_str(), wideTo.c_str(), FALSE)) {
      SetError(error, GetLastError());
      return false;
    }
    KeepWritable(wideTo, source.dwFileAttributes);
    return true;
  }

  bool DeleteFolder(const std::string& path, std::string* error) override {
    if (RemoveDirectoryW(WidePath(path).c_str())) return true;
    SetError(error, GetLastError());
    return false;
  }

  std::int64_t WriteTimeStep(const std::string& probePath) override {
    std::wstring wide = WidePath(probePath);
    std::int64_t stored = 0;
    {
      Handle file(CreateFileW(wide.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.valid()) return 1;
      std::uint64_t ticks =
          static_cast<std::uint64_t>(kProbeWriteTime / 100 + kUnixEpochInFileTime);
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
    if (read) stored = ToNanoseconds(data.ftLastWriteTime);
    DeleteFileW(wide.c_str());
    // The system keeps 100-ns steps at best; the probe's last two digits are never stored.
    if (!read) return 1;
    std::int64_t step = TimeStepOf(stored);
    return step < 100 ? 100 : step;
  }

  bool DeleteFile(const std::string& path, std::string* error) override {
    std::wstring wide = WidePath(path);
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

  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override {
    // Opened for listing, so a folder that cannot be read has no identity here either.
    Handle handle(CreateFileW(WidePath(folder).c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return HandleFolderIdentity(handle, identity, error);
  }

  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override {
    chain.clear();
    Handle handle(OpenForInformation(WidePath(folder)));
    FileIdentity identity;
    if (!HandleFolderIdentity(handle, identity, error)) return false;
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
      if (!HandleFolderIdentity(above, identity, error)) return false;
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

  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override {
    content.clear();
    std::string bytes;
    if (!ReadBytes(path, bytes, error)) return false;
    content = TextFromFileBytes(bytes);
    return true;
  }

  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override {
    // The rename would pass over the read-only attribute on some systems; the profile
    // functions never did.
    DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      SetError(error, "the file is read-only");
      return false;
    }
    return ReplaceWithBytes(path, FileBytesFromText(content), error);
  }

  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override {
    std::wstring wide = WidePath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      SetError(error, "not a regular file");
      return false;
    }
    // Wine lets a read-only file be opened for appending; Windows would not.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      SetError(error, "the file is read-only");
      return false;
    }
    Handle file(CreateFileW(wide.c_str(), GENERIC_READ | FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      SetError(error, GetLastError());
      return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::string head;
    if (size.QuadPart > 0) {
      char mark[3];
      DWORD read = 0;
      if (!ReadFile(file.get(), mark, sizeof mark, &read, nullptr)) {
        SetError(error, GetLastError());
        return false;
      }
      head.assign(mark, read);
    }
    std::string bytes;
    if (head == kUtf8Mark) {
      bytes = content;
    } else if (!AnsiFileBytes(content, bytes)) {
      if (size.QuadPart == 0) {
        bytes = std::string(kUtf8Mark) + content;
      } else {
        // The file is in the ANSI code page, which cannot hold the new text: the whole file
        // moves to UTF-8 in one atomic rewrite rather than holding two encodings.
        file.Close();
        std::string old;
        if (!ReadBytes(path, old, error)) return false;
        return ReplaceWithBytes(path, std::string(kUtf8Mark) + TextFromFileBytes(old) + content,
                                error);
      }
    }
    if (!WriteAll(file.get(), bytes)) {
      SetError(error, GetLastError());
      return false;
    }
    if (!file.Close()) {
      SetError(error, GetLastError());
      return false;
    }
    return true;
  }

 private:
  static bool ReadBytes(const std::string& path, std::string& bytes, std::string* error) {
    std::wstring wide = WidePath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      SetError(error, GetLastError());
      return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      SetError(error, "not a regular file");
      return false;
    }
    Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid() || !ReadAll(file.get(), bytes)) {
      SetError(error, GetLastError());
      return false;
    }
    return true;
  }

  static bool ReplaceWithBytes(const std::string& path, const std::string& bytes,
                               std::string* error) {
    std::string folder = ParentFolder(path);
    if (!folder.empty() && !IsPathSeparator(folder.back()) && folder.back() != ':') folder += '\\';
    std::wstring temp;
    HANDLE created = INVALID_HANDLE_VALUE;
    DWORD code = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
      temp = WidePath(folder + ReplaceTempPrefix(BaseName(path)) +
                      std::to_string(TempNameRandom()() % 1000000000));
      created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      code = GetLastError();
      if (created == INVALID_HANDLE_VALUE && code != ERROR_FILE_EXISTS &&
          code != ERROR_ALREADY_EXISTS)
        break;
    }
    if (created == INVALID_HANDLE_VALUE) {
      SetError(error, code);
      return false;
    }
    Handle file(created);
    if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
      code = GetLastError();
      file.Close();
      DeleteFileW(temp.c_str());
      SetError(error, code);
      return false;
    }
    if (!file.Close() || !MoveFileExW(temp.c_str(), WidePath(path).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      code = GetLastError();
      DeleteFileW(temp.c_str());
      SetError(error, code);
      return false;
    }
    return true;
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
