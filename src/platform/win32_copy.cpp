#ifdef _WIN32

#include "platform/win32_copy.h"

#include "base/text.h"
#include "platform/entry_names.h"
#include "platform/win32_support.h"
#include "platform/windows_text.h"

namespace tarnwick::win32 {
namespace {

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
bool CopyUnderTempName(const std::wstring& from, const std::string& folderPath,
                       const std::string& name, std::string* error) {
  std::string tempName;
  std::wstring temp;
  DWORD code = ERROR_SUCCESS;
  const bool made = MakeUnderTempName(
      name,
      [&](const std::string& candidate) {
        temp = WidePath(JoinEntry(folderPath, candidate));
        if (CopyFileW(from.c_str(), temp.c_str(), TRUE)) return TempAttempt::kMade;
        code = GetLastError();
        return code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ? TempAttempt::kTaken
                                                                         : TempAttempt::kFailed;
      },
      tempName);
  if (!made) {
    SetError(error, code);
    return false;
  }
  DWORD attributes = GetFileAttributesW(temp.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) KeepWritable(temp, attributes);
  if (!MoveFileExW(temp.c_str(), WidePath(JoinEntry(folderPath, name)).c_str(),
                   MOVEFILE_REPLACE_EXISTING)) {
    code = GetLastError();
    DeleteFileW(temp.c_str());
    SetError(error, code);
    return false;
  }
  return true;
}

}  // namespace

bool OpenForCopyAt(const std::string& path, const std::string& name, const FileIdentity& holder,
                   OpenedFile& file, std::string* error) {
  file.Close();
  Handle in(OpenForInformation(WidePath(path)));
  BY_HANDLE_FILE_INFORMATION info;
  if (!in.valid() || !GetFileInformationByHandle(in.get(), &info)) {
    SetError(error, GetLastError());
    return false;
  }
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
    SetError(error, "not a regular file");
    return false;
  }
  // The copy reads the file by its path; a handle kept open meanwhile would keep Wine from
  // replacing a second name of the same file (a hard link in the FTP web).
  in.Close();
  FindEntry entry =
      EntryFromData(info.dwFileAttributes, info.ftCreationTime, info.ftLastAccessTime,
                    info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow, name);
  file.path = path;
  file.name = name;
  file.file = IdentityFromInformation(info);
  file.holder = holder;
  file.mode = info.dwFileAttributes;
  file.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  file.size = entry.size;
  file.lastAccessTime = entry.lastAccessTime;
  file.lastWriteTime = entry.lastWriteTime;
  return true;
}

bool CopyOpenedFile(const OpenedFile& in, const std::string& folderPath, const std::string& name,
                    const FileIdentity& here, bool hereKnown, std::string* error) {
  const std::wstring wideFrom = WidePath(in.path);
  const std::wstring wideTo = WidePath(JoinEntry(folderPath, name));
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
        // Two entries of one file (hard links) are not the same entry; one name (in any case)
        // in one folder is. When the folder cannot be told, the copy is refused.
        if (IdentityFromInformation(existing) == in.file && LowerCase(in.name) == LowerCase(name) &&
            (!hereKnown || here == in.holder)) {
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
        if (!in.readOnly) {
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
  if (replace) return CopyUnderTempName(wideFrom, folderPath, name, error);
  // Keeps the content, the attributes and the last-write time, replacing the target.
  if (!CopyFileW(wideFrom.c_str(), wideTo.c_str(), FALSE)) {
    SetError(error, GetLastError());
    return false;
  }
  KeepWritable(wideTo, in.mode);
  return true;
}

}  // namespace tarnwick::win32

#endif  // _WIN32
