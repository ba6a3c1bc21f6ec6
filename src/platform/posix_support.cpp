#ifndef _WIN32

#include "platform/posix_support.h"

#include "platform/entry_names.h"

namespace tarnwick::posix {

FindEntry EntryFromStat(const struct stat& st, std::string name) {
  FindEntry entry;
  entry.name = std::move(name);
  if (S_ISDIR(st.st_mode)) entry.attributes |= kAttrDirectory;
  if ((st.st_mode & S_IWUSR) == 0) entry.attributes |= kAttrReadOnly;
  if (!entry.name.empty() && entry.name[0] == '.') entry.attributes |= kAttrHidden;
  if (entry.attributes == 0) entry.attributes = kAttrNormal;
  entry.creationTime = ToNanoseconds(st.st_ctim);
  entry.lastAccessTime = ToNanoseconds(st.st_atim);
  entry.lastWriteTime = ToNanoseconds(st.st_mtim);
  entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  return entry;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

int CreateTempBeside(int dir, const std::string& name, mode_t mode, std::string& temp) {
  int fd = -1;
  MakeUnderTempName(
      name,
      [&](const std::string& candidate) {
        fd = ::openat(dir, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return TempAttempt::kMade;
        return errno == EEXIST ? TempAttempt::kTaken : TempAttempt::kFailed;
      },
      temp);
  return fd;
}

}  // namespace tarnwick::posix

#endif  // !_WIN32
