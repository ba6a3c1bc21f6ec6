#ifndef _WIN32

#include "platform/posix_folder.h"

#include <dirent.h>

#include <atomic>

#include "base/text.h"
#include "platform/entry_names.h"
#include "platform/file_system.h"
#include "platform/posix_copy.h"

#ifdef __linux__
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

namespace tarnwick {

using posix::Fd;
using posix::SetError;

namespace {

std::atomic<bool> kernelResolve{true};

#if defined(__linux__) && defined(STATX_MNT_ID)
// Whether two descriptors lie on one mount; true when the system cannot tell.
bool SameMount(int a, int b) {
  struct statx sa, sb;
  if (::statx(a, "", AT_EMPTY_PATH, STATX_MNT_ID, &sa) != 0 ||
      ::statx(b, "", AT_EMPTY_PATH, STATX_MNT_ID, &sb) != 0 || !(sa.stx_mask & STATX_MNT_ID) ||
      !(sb.stx_mask & STATX_MNT_ID))
    return true;
  return sa.stx_mnt_id == sb.stx_mnt_id;
}
#else
bool SameMount(int, int) { return true; }
#endif

// The sub-folder name of dir, never through a link and never onto another mount; -1 with
// errno set (ELOOP or ENOTDIR for a link or a file, EXDEV for a mount) otherwise.
int OpenSubfolder(int dir, const std::string& name) {
  constexpr int kFlags = posix::kFolderNameOnly | O_NOFOLLOW;
#if defined(__linux__) && defined(SYS_openat2)
  if (kernelResolve.load(std::memory_order_relaxed)) {
    struct open_how how = {};
    how.flags = kFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
    long fd = ::syscall(SYS_openat2, dir, name.c_str(), &how, sizeof how);
    // Older kernels lack the call; some sandboxes refuse it outright.
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
  }
#endif
  Fd fd(::openat(dir, name.c_str(), kFlags));
  if (fd.get() < 0) return -1;
  struct stat inner, outer;
  if (::fstat(fd.get(), &inner) != 0 || ::fstat(dir, &outer) != 0) return -1;
  if (inner.st_dev != outer.st_dev || !SameMount(fd.get(), dir)) {
    errno = EXDEV;
    return -1;
  }
  return fd.release();
}

}  // namespace

void PosixFolder::UseKernelResolve(bool use) { kernelResolve = use; }

std::unique_ptr<Folder> PosixFolder::Hold(std::string path, int fd, std::string* error) {
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    SetError(error, errno);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFolder>(std::move(path), fd, posix::IdentityFromStat(st));
}

bool PosixFolder::HeldIdentity(FileIdentity& identity) {
  identity = identity_;
  return true;
}

bool PosixFolder::List(FolderListing& listing, std::string* error) {
  listing = FolderListing();
  int dirFd = ::openat(fd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) {
    SetError(error, errno);
    return false;
  }
  DIR* dir = ::fdopendir(dirFd);
  if (!dir) {
    SetError(error, errno);
    ::close(dirFd);
    return false;
  }
  while (struct dirent* d = ::readdir(dir)) {
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    unsigned char type = d->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      // Links count by what they lead to, but only for files: a link to a folder is never
      // entered, so no walk can loop.
      struct stat st;
      if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISLNK(st.st_mode))
          type = DT_LNK;
        else if (S_ISDIR(st.st_mode))
          type = DT_DIR;
        else if (S_ISREG(st.st_mode))
          type = DT_REG;
        else
          continue;
      }
      if (type == DT_LNK) {
        if (::fstatat(dirFd, name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        type = DT_REG;
      }
    }
    if (type == DT_DIR) {
      listing.folders.emplace_back(name);
    } else if (type == DT_REG) {
      listing.files.emplace_back(name);
    }
  }
  ::closedir(dir);
  SortNames(listing.files);
  SortNames(listing.folders);
  return true;
}

std::optional<FindEntry> PosixFolder::LookUp(const std::string& name) {
  struct stat st;
  if (::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (::fstatat(fd_.get(), name.c_str(), &target, 0) != 0 || !S_ISREG(target.st_mode))
      return std::nullopt;
    st = target;
  }
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return std::nullopt;
  return posix::EntryFromStat(st, name);
}

bool PosixFolder::Inaccessible(const std::string& name, std::string* reason) {
  struct stat st;
  if (::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    SetError(reason, errno);
    return true;
  }
  if (S_ISLNK(st.st_mode)) {
    if (::fstatat(fd_.get(), name.c_str(), &st, 0) != 0) return false;  // a dangling link
    if (S_ISDIR(st.st_mode)) {
      SetError(reason, "a link to a folder");
      return true;
    }
  }
  if (S_ISREG(st.st_mode)) {
    // There, but it could not be read.
    if (::faccessat(fd_.get(), name.c_str(), R_OK, 0) != 0) {
      SetError(reason, errno);
      return true;
    }
    return false;
  }
  if (S_ISDIR(st.st_mode)) return false;
  SetError(reason, "a special file (pipe, socket or device)");
  return true;
}

bool PosixFolder::CreateFolder(const std::string& name, bool& made, std::string* error) {
  made = ::mkdirat(fd_.get(), name.c_str(), 0777) == 0;
  if (made) return true;
  int code = errno;
  struct stat st;
  if (code == EEXIST && ::fstatat(fd_.get(), name.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode))
    return true;
  SetError(error, code);
  return false;
}

std::unique_ptr<Folder> PosixFolder::OpenFolder(const std::string& name, std::string* error) {
  if (!IsEntryName(name)) {
    SetError(error, "not a name of an entry of the folder");
    return nullptr;
  }
  int fd = OpenSubfolder(fd_.get(), name);
  if (fd < 0) {
    // A link to a folder put in the way would carry the copies out of the FTP web; a mount
    // there would carry them onto another disk.
    if (errno == ENOTDIR || errno == ELOOP)
      SetError(error, "a link or other entry is in the way");
    else if (errno == EXDEV)
      SetError(error, "another mount is in the way");
    else
      SetError(error, errno);
    return nullptr;
  }
  return Hold(PathOf(name), fd, error);
}

bool PosixFolder::OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) {
  return posix::OpenForCopyAt(fd_.get(), identity_, Path(), name, file, error);
}

bool PosixFolder::CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                             bool expectNew, std::string* error) {
  OpenedFile in;
  return from.OpenForCopy(fromName, in, error) &&
         posix::CopyOpenedFile(in, fd_.get(), identity_, name, expectNew, error);
}

bool PosixFolder::DeleteFile(const std::string& name, std::string* error) {
  struct stat st;
  if (::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
    SetError(error, "is a folder");
    return false;
  }
  if (::unlinkat(fd_.get(), name.c_str(), 0) == 0) return true;
  SetError(error, errno);
  return false;
}

bool PosixFolder::DeleteFolder(const std::string& name, std::string* error) {
  if (::unlinkat(fd_.get(), name.c_str(), AT_REMOVEDIR) == 0) return true;
  SetError(error, errno);
  return false;
}

bool PosixFolder::Rename(const std::string& from, const std::string& to, std::string* error) {
  if (::renameat(fd_.get(), from.c_str(), fd_.get(), to.c_str()) == 0) return true;
  SetError(error, errno);
  return false;
}

bool PosixFolder::ReadTextFile(const std::string& name, std::string& content, std::string* error) {
  content.clear();
  struct stat st;
  if (::fstatat(fd_.get(), name.c_str(), &st, 0) != 0) {
    SetError(error, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    SetError(error, "not a regular file");
    return false;
  }
  Fd fd(::openat(fd_.get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    SetError(error, errno);
    return false;
  }
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetError(error, errno);
      return false;
    }
    if (n == 0) return true;
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

bool PosixFolder::ReadOnlyTarget(const std::string& name, std::string* error) {
  struct stat st;
  if (::fstatat(fd_.get(), name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode) ||
      (st.st_mode & S_IWUSR) != 0)
    return false;
  SetError(error, "the file is read-only");
  return true;
}

bool PosixFolder::ReplaceFile(const std::string& name, const std::string& content,
                              std::string* error) {
  if (ReadOnlyTarget(name, error)) return false;
  std::string temp;
  const int fd = posix::CreateTempBeside(fd_.get(), name, 0666, temp);
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  Fd guard(fd);
  struct stat old;
  if (::fstatat(fd_.get(), name.c_str(), &old, 0) == 0) ::fchmod(fd, old.st_mode & 07777);
  if (!posix::WriteAll(fd, content.data(), content.size()) || ::fsync(fd) != 0 ||
      ::close(guard.release()) != 0 ||
      ::renameat(fd_.get(), temp.c_str(), fd_.get(), name.c_str()) != 0) {
    int code = errno;
    ::unlinkat(fd_.get(), temp.c_str(), 0);
    SetError(error, code);
    return false;
  }
  return true;
}

bool PosixFolder::AppendToFile(const std::string& name, const std::string& content,
                               std::string* error) {
  if (ReadOnlyTarget(name, error)) return false;
  Fd fd(::openat(fd_.get(), name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW,
                 0666));
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    SetError(error, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    SetError(error, "not a regular file");
    return false;
  }
  if (!posix::WriteAll(fd.get(), content.data(), content.size())) {
    // A disk that fills part way must not leave half a line at the end of the file.
    int code = errno;
    if (::ftruncate(fd.get(), st.st_size) != 0) code = errno;
    SetError(error, code);
    return false;
  }
  if (::close(fd.release()) != 0) {
    SetError(error, errno);
    return false;
  }
  return true;
}

std::int64_t PosixFolder::WriteTimeStep(const std::string& probeName) {
  Fd fd(::openat(fd_.get(), probeName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (fd.get() < 0) return 1;
  const struct timespec probe = posix::ToTimespec(kProbeWriteTime);
  const struct timespec times[2] = {probe, probe};
  struct stat st;
  const bool stored = ::futimens(fd.get(), times) == 0 && ::fstat(fd.get(), &st) == 0;
  ::unlinkat(fd_.get(), probeName.c_str(), 0);
  return stored ? TimeStepOf(posix::ToNanoseconds(st.st_mtim)) : 1;
}

}  // namespace tarnwick

#endif  // !_WIN32
