#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>

#include "base/text.h"
#include "platform/file_system.h"

#ifdef __linux__
#include <sys/sendfile.h>
#endif

namespace tarnwick {
namespace {

void SetError(std::string* error, int code) {
  if (error) *error = std::strerror(code);
}

std::int64_t ToNanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

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

std::string BaseName(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  std::size_t slash = path.rfind('/', end - 1);
  return path.substr(slash == std::string::npos ? 0 : slash + 1,
                     end - (slash == std::string::npos ? 0 : slash + 1));
}

std::string ParentFolder(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

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

FileIdentity IdentityFromStat(const struct stat& st) {
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// A descriptor that only names a folder: it needs no right to read the folder, only to pass
// through the folders above it.
#ifdef O_PATH
constexpr int kFolderNameOnly = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderNameOnly = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A file without its owner's write bit counts as read-only, as the read-only attribute does,
// even for the administrator, who could otherwise write it anyway.
bool ReadOnlyTarget(const std::string& path, std::string* error) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) != 0)
    return false;
  if (error) *error = "the file is read-only";
  return true;
}

// An entry named relative to a folder descriptor, or by a whole path with AT_FDCWD.
struct At {
  int dir;
  const std::string& name;
};

// The identity of the folder that holds the entry.
bool HolderOf(const At& at, struct stat& st) {
  if (at.dir == AT_FDCWD) return ::stat(ParentFolder(at.name).c_str(), &st) == 0;
  return ::fstat(at.dir, &st) == 0;
}

// Whether two entries are one directory entry: the same name in the same folder. Two entries
// of one file (hard links) are not the same entry.
bool SameEntry(const At& a, const At& b) {
  if (BaseName(a.name) != BaseName(b.name)) return false;
  struct stat pa, pb;
  if (!HolderOf(a, pa) || !HolderOf(b, pb))
    return true;  // cannot tell: the caller refuses rather than risk writing the source
  return pa.st_dev == pb.st_dev && pa.st_ino == pb.st_ino;
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
bool WriteCopy(int in, const struct stat& opened, mode_t mode, int out, std::string* error,
               bool fresh = false) {
  std::int64_t copied = CopyContent(in, out, static_cast<std::uint64_t>(opened.st_size));
  if (copied < 0 || (!fresh && ::ftruncate(out, copied) != 0)) {
    SetError(error, errno);
    return false;
  }
  if (!fresh || (mode & FileMask()) != 0) ::fchmod(out, mode);
  // The next run's date comparison relies on the copy keeping the source's time.
  struct timespec times[2] = {opened.st_atim, opened.st_mtim};
  if (::futimens(out, times) != 0) {
    SetError(error, errno);
    return false;
  }
  struct stat after;
  if (::fstat(in, &after) == 0 && (!SameTime(after.st_mtim, opened.st_mtim) ||
                                   after.st_size != opened.st_size || copied != opened.st_size)) {
    // The copy holds a mix; its old time makes the next run copy the file again.
    if (error) *error = "the file changed while it was copied";
    return false;
  }
  return true;
}

// One generator per thread: a run and the window's own saves may write side by side.
std::mt19937_64& TempNameRandom() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  return random;
}

// A new file beside the target, renamed over it once complete, so that nothing else that
// shares the target's content is touched and the target is whole at every moment.
bool CopyUnderTempName(int in, const struct stat& opened, mode_t mode, const At& to,
                       std::string* error) {
  const std::string prefix =
      to.dir == AT_FDCWD ? ParentFolder(to.name) + "/" + ReplaceTempPrefix(BaseName(to.name))
                         : ReplaceTempPrefix(to.name);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = prefix + std::to_string(TempNameRandom()() % 1000000000);
    fd = ::openat(to.dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    SetError(error, errno);
    return false;
  }
  Fd out(fd);
  if (!WriteCopy(in, opened, mode, out.get(), error)) {
    ::unlinkat(to.dir, temp.c_str(), 0);
    return false;
  }
  if (::close(out.release()) != 0 ||
      ::renameat(to.dir, temp.c_str(), to.dir, to.name.c_str()) != 0) {
    int code = errno;
    ::unlinkat(to.dir, temp.c_str(), 0);
    SetError(error, code);
    return false;
  }
  return true;
}

std::optional<FindEntry> LookUpAt(const At& at) {
  struct stat st;
  if (::fstatat(at.dir, at.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    if (::fstatat(at.dir, at.name.c_str(), &target, 0) != 0 || !S_ISREG(target.st_mode))
      return std::nullopt;
    st = target;
  }
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return std::nullopt;
  return EntryFromStat(st, BaseName(at.name));
}

bool InaccessibleAt(const At& at, std::string* reason) {
  struct stat st;
  if (::fstatat(at.dir, at.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    SetError(reason, errno);
    return true;
  }
  if (S_ISLNK(st.st_mode)) {
    if (::fstatat(at.dir, at.name.c_str(), &st, 0) != 0) return false;  // a dangling link
    if (S_ISDIR(st.st_mode)) {
      if (reason) *reason = "a link to a folder";
      return true;
    }
  }
  if (S_ISREG(st.st_mode)) {
    // There, but it could not be read.
    if (::faccessat(at.dir, at.name.c_str(), R_OK, 0) != 0) {
      SetError(reason, errno);
      return true;
    }
    return false;
  }
  if (S_ISDIR(st.st_mode)) return false;
  if (reason) *reason = "a special file (pipe, socket or device)";
  return true;
}

bool CopyAt(const At& from, const At& to, bool expectNew, std::string* error) {
  // Decide by a look-up before opening: opening a device may act on it.
  struct stat srcInfo;
  if (::fstatat(from.dir, from.name.c_str(), &srcInfo, 0) != 0) {
    SetError(error, errno);
    return false;
  }
  if (!S_ISREG(srcInfo.st_mode)) {
    if (error) *error = "not a regular file";
    return false;
  }
  Fd in(::openat(from.dir, from.name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) {
    SetError(error, errno);
    return false;
  }
  struct stat opened;
  if (::fstat(in.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
    if (error) *error = "not a regular file";
    return false;
  }
  // The copies are the program's own: a read-only source must not make them read-only, or
  // no later run could bring them up to date.
  const mode_t mode = (opened.st_mode & 07777) | S_IWUSR;
  if (expectNew) {
    // Made only if nothing has the name, so no link or other file is ever written through.
    Fd out(::openat(to.dir, to.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    mode));
    if (out.get() >= 0) {
      if (!WriteCopy(in.get(), opened, mode, out.get(), error, true)) return false;
      if (::close(out.release()) != 0) {
        SetError(error, errno);
        return false;
      }
      return true;
    }
    if (errno != EEXIST) {
      SetError(error, errno);
      return false;
    }
  }
  struct stat dstInfo;
  bool targetExists = ::fstatat(to.dir, to.name.c_str(), &dstInfo, AT_SYMLINK_NOFOLLOW) == 0;
  // Set when the target must not be written in place: a new file takes its name instead.
  bool replace = false;
  if (targetExists) {
    if (S_ISDIR(dstInfo.st_mode)) {
      if (error) *error = "a folder of that name is in the way";
      return false;
    }
    if (S_ISLNK(dstInfo.st_mode)) {
      // Never write through a link: it could lead outside the FTP web.
      if (::unlinkat(to.dir, to.name.c_str(), 0) != 0) {
        SetError(error, errno);
        return false;
      }
      targetExists = false;
    } else if (!S_ISREG(dstInfo.st_mode)) {
      if (error) *error = "a special file of that name is in the way";
      return false;
    } else {
      if (dstInfo.st_dev == opened.st_dev && dstInfo.st_ino == opened.st_ino &&
          SameEntry(from, to)) {
        if (error) *error = "source and target are the same file";
        return false;
      }
      // A hard link shares its content with other names, perhaps the source's own (a mirror
      // seeded with "cp -al"): writing it in place would change them all.
      replace = dstInfo.st_nlink > 1;
      if ((dstInfo.st_mode & S_IWUSR) == 0) {
        // Like the read-only attribute: refused even for the administrator. A copy that only
        // took the bit from its read-only source is ours to replace.
        if ((opened.st_mode & S_IWUSR) != 0) {
          if (error) *error = "the target is read-only";
          return false;
        }
        replace = true;
      }
    }
  }
  if (replace) return CopyUnderTempName(in.get(), opened, mode, to, error);
  // Written over the old content and cut to length afterwards rather than truncated
  // first: freeing and reallocating every block of a re-copied web is many times slower.
  // An interrupted copy leaves the target with a new write time, so the next run sees it.
  Fd out(::openat(to.dir, to.name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode));
  if (out.get() < 0) {
    SetError(error, errno);
    return false;
  }
  if (!WriteCopy(in.get(), opened, mode, out.get(), error)) return false;
  if (::close(out.release()) != 0) {
    SetError(error, errno);
    return false;
  }
  return true;
}

// A folder held by a descriptor that only names it: the folders above it are not walked again
// for its entries, and it stays the folder that was opened.
class PosixFolder final : public Folder {
 public:
  PosixFolder(std::string path, int fd) : Folder(std::move(path)), fd_(fd) {}

  bool HeldIdentity(FileIdentity& identity) override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0) return false;
    identity = IdentityFromStat(st);
    return true;
  }
  std::optional<FindEntry> LookUp(const std::string& name) override {
    return LookUpAt(At{fd_.get(), name});
  }
  bool Inaccessible(const std::string& name, std::string* reason) override {
    return InaccessibleAt(At{fd_.get(), name}, reason);
  }
  bool CreateFolder(const std::string& name, bool& made, std::string* error) override {
    made = ::mkdirat(fd_.get(), name.c_str(), 0777) == 0;
    if (made) return true;
    int code = errno;
    struct stat st;
    if (code == EEXIST && ::fstatat(fd_.get(), name.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode))
      return true;
    SetError(error, code);
    return false;
  }
  std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override {
    int fd = ::openat(fd_.get(), name.c_str(), kFolderNameOnly | O_NOFOLLOW);
    if (fd < 0) {
      // A link to a folder put in the way would carry the copies out of the FTP web.
      if (errno == ENOTDIR || errno == ELOOP) {
        if (error) *error = "a link or other entry is in the way";
      } else {
        SetError(error, errno);
      }
      return nullptr;
    }
    return std::make_unique<PosixFolder>(PathOf(name), fd);
  }
  bool CopyFileFrom(Folder& from, const std::string& name, bool expectNew,
                    std::string* error) override {
    if (auto* held = dynamic_cast<PosixFolder*>(&from))
      return CopyAt(At{held->fd_.get(), name}, At{fd_.get(), name}, expectNew, error);
    const std::string path = from.PathOf(name);
    return CopyAt(At{AT_FDCWD, path}, At{fd_.get(), name}, expectNew, error);
  }

 private:
  Fd fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  bool ConcurrentDeletes() const override { return true; }

  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) override {
    listing.files.clear();
    listing.folders.clear();
    int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        // Links count by what they lead to, but only for files: a link to a folder is
        // never entered, so no walk can loop.
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

  std::optional<FindEntry> LookUp(const std::string& path) override {
    return LookUpAt(At{AT_FDCWD, path});
  }

  std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) override {
    int fd = ::open(path.empty() ? "." : path.c_str(), kFolderNameOnly);
    if (fd < 0) {
      SetError(error, errno);
      return nullptr;
    }
    return std::make_unique<PosixFolder>(path, fd);
  }

  bool CreateFolder(const std::string& path, std::string* error) override {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    int code = errno;
    struct stat st;
    if (code == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    SetError(error, code);
    return false;
  }

  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    return CopyAt(At{AT_FDCWD, from}, At{AT_FDCWD, to}, false, error);
  }

  bool DeleteFolder(const std::string& path, std::string* error) override {
    if (::rmdir(path.c_str()) == 0) return true;
    SetError(error, errno);
    return false;
  }

  std::int64_t WriteTimeStep(const std::string& probePath) override {
    Fd fd(::open(probePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0) return 1;
    const struct timespec probe = {static_cast<time_t>(kProbeWriteTime / 1000000000),
                                   static_cast<long>(kProbeWriteTime % 1000000000)};
    const struct timespec times[2] = {probe, probe};
    struct stat st;
    const bool stored = ::futimens(fd.get(), times) == 0 && ::fstat(fd.get(), &st) == 0;
    ::unlink(probePath.c_str());
    return stored ? TimeStepOf(ToNanoseconds(st.st_mtim)) : 1;
  }

  bool Inaccessible(const std::string& path, std::string* reason) override {
    return InaccessibleAt(At{AT_FDCWD, path}, reason);
  }

  bool DeleteFile(const std::string& path, std::string* error) override {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      if (error) *error = "is a folder";
      return false;
    }
    if (::unlink(path.c_str()) == 0) return true;
    SetError(error, errno);
    return false;
  }

  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
      SetError(error, errno);
      return false;
    }
    identity = IdentityFromStat(st);
    return true;
  }

  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override {
    chain.clear();
    // Walked by "..", as the kernel resolves it, rather than by cutting the text: so a folder
    // reached through a link or a bind mount shows the folders that really hold it.
    Fd current(::open(folder.c_str(), kFolderNameOnly));
    struct stat st;
    if (current.get() < 0 || ::fstat(current.get(), &st) != 0) {
      SetError(error, errno);
      return false;
    }
    chain.push_back(IdentityFromStat(st));
    for (;;) {
      Fd parent(::openat(current.get(), "..", kFolderNameOnly));
      if (parent.get() < 0 || ::fstat(parent.get(), &st) != 0) {
        SetError(error, errno);
        return false;
      }
      FileIdentity above = IdentityFromStat(st);
      if (above == chain.back()) return true;  // the root is its own parent
      // A file system that never reaches its root would otherwise keep this walking.
      if (chain.size() > 4096) {
        if (error) *error = "the folders above it do not end in a root";
        return false;
      }
      chain.push_back(above);
      current.reset(parent.release());
    }
  }

  LockOutcome LockFolder(const std::string& folder, FolderLock& lock, std::string* error) override {
    // flock on the folder itself: the kernel drops it with the last descriptor, so a killed
    // run leaves nothing behind, and the FTP web gets no lock file to sweep or upload.
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
      SetError(error, errno);
      return LockOutcome::kUnavailable;
    }
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      const int code = errno;
      if (code == EINTR) continue;
      SetError(error, code);
      return code == EWOULDBLOCK ? LockOutcome::kBusy : LockOutcome::kUnavailable;
    }
    lock = FolderLock(fd.release());
    return LockOutcome::kTaken;
  }

  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override {
    content.clear();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
      SetError(error, errno);
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      if (error) *error = "not a regular file";
      return false;
    }
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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

  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override {
    if (ReadOnlyTarget(path, error)) return false;
    std::string folder = ParentFolder(path);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temp = folder + "/" + ReplaceTempPrefix(BaseName(path)) +
             std::to_string(TempNameRandom()() % 1000000000);
      fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      SetError(error, errno);
      return false;
    }
    Fd guard(fd);
    struct stat old;
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    if (!WriteAll(fd, content.data(), content.size()) || ::fsync(fd) != 0) {
      int code = errno;
      ::unlink(temp.c_str());
      SetError(error, code);
      return false;
    }
    if (::close(guard.release()) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
      int code = errno;
      ::unlink(temp.c_str());
      SetError(error, code);
      return false;
    }
    return true;
  }

  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override {
    if (ReadOnlyTarget(path, error)) return false;
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (fd.get() < 0) {
      SetError(error, errno);
      return false;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
      SetError(error, errno);
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      if (error) *error = "not a regular file";
      return false;
    }
    if (!WriteAll(fd.get(), content.data(), content.size())) {
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
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

std::string FollowFileLinks(const std::string& path) {
  std::string current = path;
  // As many links as the system itself follows before it gives up on a loop.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return path;
    std::string target(buffer, static_cast<std::size_t>(n));
    current = target[0] == '/' ? target : ParentFolder(current) + "/" + target;
  }
  return path;
}

}  // namespace tarnwick

#endif  // !_WIN32
