#ifndef _WIN32

#include <limits.h>
#include <sys/file.h>

#include "platform/entry_names.h"
#include "platform/file_system.h"
#include "platform/posix_folder.h"
#include "platform/posix_support.h"

namespace tarnwick {
namespace {

using posix::Fd;
using posix::IdentityFromStat;
using posix::kFolderNameOnly;
using posix::SetError;

class PosixFileSystem final : public FileSystem {
 public:
  bool ConcurrentDeletes() const override { return true; }

  std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) override {
    int fd = ::open(path.empty() ? "." : path.c_str(), kFolderNameOnly);
    if (fd < 0) {
      SetError(error, errno);
      return nullptr;
    }
    return PosixFolder::Hold(path, fd, error);
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
        SetError(error, "the folders above it do not end in a root");
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
    current = target[0] == '/' ? target : HolderPathOf(current) + "/" + target;
  }
  return path;
}

}  // namespace tarnwick

#endif  // !_WIN32
