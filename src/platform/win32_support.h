#pragma once

#ifdef _WIN32

// What the Windows layer's files share: handles that close themselves, errors, and the
// translation of what the system says of a file.

#include <cstdint>
#include <string>

#include "platform/file_identity.h"
#include "platform/find_entry.h"
#include "platform/windows_api.h"

namespace tarnwick::win32 {

// 100-ns steps between 1601-01-01 and 1970-01-01.
inline constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000LL;

std::int64_t ToNanoseconds(const FILETIME& t);
void SetError(std::string* error, DWORD code);
void SetError(std::string* error, const char* text);

FindEntry EntryFromData(DWORD attributes, const FILETIME& created, const FILETIME& accessed,
                        const FILETIME& written, DWORD sizeHigh, DWORD sizeLow, std::string name);

inline FileIdentity IdentityFromInformation(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Closes a handle on every path out of a function.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  bool Close() {
    if (!valid()) return true;
    bool ok = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

// Opens what the path leads to (links followed) for reading its attributes only.
HANDLE OpenForInformation(const std::wstring& path);

// A link to a file counts as the file it leads to; anything else behind a reparse point
// (junctions, links to folders, dangling links) is passed over.
bool LinkLeadsToFile(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info);

// The identity of what an open handle names; false with the reason, or when it is no folder.
bool HandleFolderIdentity(HANDLE handle, FileIdentity& identity, std::string* error);

bool WriteAll(HANDLE handle, const std::string& bytes);

}  // namespace tarnwick::win32

#endif  // _WIN32
