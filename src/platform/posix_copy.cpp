#ifndef _WIN32

#include "platform/posix_copy.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/entry_names.h"
#include "platform/posix_support.h"

#ifdef __linux__
#include <sys/sendfile.h>
#endif

namespace tarnwick::posix {
namespace {

// Copies at most size bytes from the start of in over the start of out; returns the bytes
// copied, or -1. The limit keeps a file that grows while it is copied from holding the copy
// forever; the caller sees the growth and reports it.
std::int64_t CopyContent(int in, int out, std::uint64_t size) {
  std::int64_t copied = 0;
  std::uint64_t left = size;
#ifdef __linux__
  // The kernel copies without the data passing through this process.
  while (left > 0) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, left, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
      return -1;
    }
    if (n == 0) return copied;  // the source shrank while we copied
    left -= static_cast<std::uint64_t>(n);
    copied += n;
  }
#endif
  // Whatever the kernel path did not copy (or all of it elsewhere) goes through a buffer.
  char buffer[1 << 16];
  while (left > 0) {
    ssize_t n = ::read(in, buffer, std::min<std::uint64_t>(sizeof buffer, left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) return copied;
    if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return -1;
    copied += n;
    left -= static_cast<std::uint64_t>(n);
  }
  return copied;
}

// The bits this process's file mask takes from new files; all of them when it cannot be
// read without changing it (umask() would, for a moment, for every thread).
mode_t FileMask() {
  static const mode_t mask = [] {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("Umask:", 0) == 0)
        return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return static_cast<mode_t>(07777);
  }();
  return mask;
}

// Content, permission bits and write time of the opened source into out. The time is the one
// from before the copy: were it taken afterwards, a change made during the copy would carry
// the new time on old content and never be seen again.
// fresh: out was made empty just now with mode, so nothing needs cutting and the bits are set
// unless the file mask took some.
bool WriteCopy(const OpenedFile& in, mode_t mode, int out, std::string* error, bool fresh = false) {
  const int source = static_cast<int>(in.handle);
  std::int64_t copied = CopyContent(source, out, in.size);
  if (copied < 0 || (!fresh && ::ftruncate(out, copied) != 0)) {
    SetError(error, errno);
    return false;
  }
  if (!fresh || (mode & FileMask()) != 0) ::fchmod(out, mode);
  // The next run's date comparison relies on the copy keeping the source's time.
  const struct timespec times[2] = {ToTimespec(in.lastAccessTime), ToTimespec(in.lastWriteTime)};
  if (::futimens(out, times) != 0) {
    SetError(error, errno);
    return false;
  }
  struct stat after;
  if (::fstat(source, &after) == 0 && (ToNanoseconds(after.st_mtim) != in.lastWriteTime ||
                                       static_cast<std::uint64_t>(after.st_size) != in.size ||
                                       static_cast<std::uint64_t>(copied) != in.size)) {
    // The copy holds a mix; its old time makes the next run copy the file again.
    SetError(error, "the file changed while it was copied");
    return false;
  }
  return true;
}

// A new file beside the target, renamed over it once complete, so that nothing else that
// shares the target's content is touched and the target is whole at every moment.
bool CopyUnderTempName(const OpenedFile& in, mode_t mode, int dir, const std::string& name,
                       std::string* error) {
  std::string temp;
  const int fd = CreateTempBeside(dir, name, mode, temp);
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  Fd out(fd);
  if (!WriteCopy(in, mode, out.get(), error)) {
    ::unlinkat(dir, temp.c_str(), 0);
    return false;
  }
  if (::close(out.release()) != 0 || ::renameat(dir, temp.c_str(), dir, name.c_str()) != 0) {
    int code = errno;
    ::unlinkat(dir, temp.c_str(), 0);
    SetError(error, code);
    return false;
  }
  return true;
}

bool Finish(Fd& out, std::string* error) {
  if (::close(out.release()) == 0) return true;
  SetError(error, errno);
  return false;
}

}  // namespace

bool OpenForCopyAt(int dir, const FileIdentity& holder, const std::string& dirPath,
                   const std::string& name, OpenedFile& file, std::string* error) {
  file.Close();
  // Decide by a look-up before opening: opening a device may act on it.
  struct stat st;
  if (::fstatat(dir, name.c_str(), &st, 0) != 0) {
    SetError(error, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    SetError(error, "not a regular file");
    return false;
  }
  Fd in(::openat(dir, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) {
    SetError(error, errno);
    return false;
  }
  if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    SetError(error, "not a regular file");
    return false;
  }
  file.handle = in.release();
  file.path = JoinEntry(dirPath, name);
  file.name = name;
  file.file = IdentityFromStat(st);
  file.holder = holder;
  file.mode = st.st_mode & 07777;
  file.readOnly = (st.st_mode & S_IWUSR) == 0;
  file.size = static_cast<std::uint64_t>(st.st_size);
  file.lastAccessTime = ToNanoseconds(st.st_atim);
  file.lastWriteTime = ToNanoseconds(st.st_mtim);
  return true;
}

bool CopyOpenedFile(const OpenedFile& in, int dir, const FileIdentity& here,
                    const std::string& name, bool expectNew, std::string* error) {
  // The copies are the program's own: a read-only source must not make them read-only, or
  // no later run could bring them up to date.
  const mode_t mode = static_cast<mode_t>(in.mode) | S_IWUSR;
  if (expectNew) {
    // Made only if nothing has the name, so no link or other file is ever written through.
    Fd out(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
    if (out.get() >= 0) return WriteCopy(in, mode, out.get(), error, true) && Finish(out, error);
    if (errno != EEXIST) {
      SetError(error, errno);
      return false;
    }
  }
  struct stat dstInfo;
  // Set when the target must not be written in place: a new file takes its name instead.
  bool replace = false;
  if (::fstatat(dir, name.c_str(), &dstInfo, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(dstInfo.st_mode)) {
      SetError(error, "a folder of that name is in the way");
      return false;
    }
    if (S_ISLNK(dstInfo.st_mode)) {
      // Never write through a link: it could lead outside the FTP web.
      if (::unlinkat(dir, name.c_str(), 0) != 0) {
        SetError(error, errno);
        return false;
      }
    } else if (!S_ISREG(dstInfo.st_mode)) {
      SetError(error, "a special file of that name is in the way");
      return false;
    } else {
      // Two entries of one file (hard links) are not the same entry; one name in one folder
      // is.
      if (IdentityFromStat(dstInfo) == in.file && in.name == name && here == in.holder) {
        SetError(error, "source and target are the same file");
        return false;
      }
      // A hard link shares its content with other names, perhaps the source's own (a mirror
      // seeded with "cp -al"): writing it in place would change them all.
      replace = dstInfo.st_nlink > 1;
      if ((dstInfo.st_mode & S_IWUSR) == 0) {
        // Like the read-only attribute: refused even for the administrator. A copy that only
        // took the bit from its read-only source is ours to replace.
        if (!in.readOnly) {
          SetError(error, "the target is read-only");
          return false;
        }
        replace = true;
      }
    }
  }
  if (replace) return CopyUnderTempName(in, mode, dir, name, error);
  // Written over the old content and cut to length afterwards rather than truncated
  // first: freeing and reallocating every block of a re-copied web is many times slower.
  // An interrupted copy leaves the target with a new write time, so the next run sees it.
  Fd out(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode));
  if (out.get() < 0) {
    SetError(error, errno);
    return false;
  }
  return WriteCopy(in, mode, out.get(), error) && Finish(out, error);
}

}  // namespace tarnwick::posix

#endif  // !_WIN32
