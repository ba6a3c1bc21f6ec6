#ifdef _WIN32

#include "platform/win32_support.h"

#include "platform/windows_text.h"

namespace tarnwick::win32 {

std::int64_t ToNanoseconds(const FILETIME& t) {
  std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  return (ticks - kUnixEpochInFileTime) * 100;
}

namespace {

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

}  // namespace

void SetError(std::string* error, DWORD code) {
  if (error) *error = SystemMessage(code);
}

void SetError(std::string* error, const char* text) {
  if (error) *error = text;
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

HANDLE OpenForInformation(const std::wstring& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool LinkLeadsToFile(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  Handle target(OpenForInformation(path));
  BY_HANDLE_FILE_INFORMATION local;
  if (!info) info = &local;
  if (!target.valid() || !GetFileInformationByHandle(target.get(), info)) return false;
  return (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool HandleFolderIdentity(HANDLE handle, FileIdentity& identity, std::string* error) {
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) {
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

}  // namespace tarnwick::win32

#endif  // _WIN32
