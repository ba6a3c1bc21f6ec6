#ifdef _WIN32

#include "platform/win32_text_file.h"

#include "platform/entry_names.h"
#include "platform/win32_support.h"
#include "platform/windows_text.h"

namespace tarnwick::win32 {
namespace {

bool ReadAll(HANDLE handle, std::string& bytes) {
  char buffer[1 << 16];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(handle, buffer, sizeof buffer, &read, nullptr)) return false;
    if (read == 0) return true;
    bytes.append(buffer, read);
  }
}

bool ReadBytes(const std::wstring& wide, std::string& bytes, std::string* error) {
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

bool ReplaceWithBytes(const std::string& folderPath, const std::string& name,
                      const std::string& bytes, std::string* error) {
  std::string tempName;
  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  DWORD code = ERROR_SUCCESS;
  MakeUnderTempName(
      name,
      [&](const std::string& candidate) {
        temp = WidePath(JoinEntry(folderPath, candidate));
        created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) return TempAttempt::kMade;
        code = GetLastError();
        return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ? TempAttempt::kTaken
                                                                         : TempAttempt::kFailed;
      },
      tempName);
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
  if (!file.Close() || !MoveFileExW(temp.c_str(), WidePath(JoinEntry(folderPath, name)).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    code = GetLastError();
    DeleteFileW(temp.c_str());
    SetError(error, code);
    return false;
  }
  return true;
}

}  // namespace

bool ReadTextFileIn(const std::string& folderPath, const std::string& name, std::string& content,
                    std::string* error) {
  content.clear();
  std::string bytes;
  if (!ReadBytes(WidePath(JoinEntry(folderPath, name)), bytes, error)) return false;
  content = TextFromFileBytes(bytes);
  return true;
}

bool ReplaceFileIn(const std::string& folderPath, const std::string& name,
                   const std::string& content, std::string* error) {
  // The rename would pass over the read-only attribute on some systems; the profile
  // functions never did.
  DWORD attributes = GetFileAttributesW(WidePath(JoinEntry(folderPath, name)).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetError(error, "the file is read-only");
    return false;
  }
  return ReplaceWithBytes(folderPath, name, FileBytesFromText(content), error);
}

bool AppendToFileIn(const std::string& folderPath, const std::string& name,
                    const std::string& content, std::string* error) {
  const std::wstring wide = WidePath(JoinEntry(folderPath, name));
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
      if (!ReadBytes(wide, old, error)) return false;
      return ReplaceWithBytes(folderPath, name,
                              std::string(kUtf8Mark) + TextFromFileBytes(old) + content, error);
    }
  }
  if (!WriteAll(file.get(), bytes)) {
    // A disk that fills part way must not leave half a line at the end of the file.
    // The appending handle cannot cut the file, so a second one does.
    const DWORD code = GetLastError();
    Handle cut(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (cut.valid() && SetFilePointerEx(cut.get(), size, nullptr, FILE_BEGIN))
      SetEndOfFile(cut.get());
    SetError(error, code);
    return false;
  }
  if (!file.Close()) {
    SetError(error, GetLastError());
    return false;
  }
  return true;
}

}  // namespace tarnwick::win32

#endif  // _WIN32
