#pragma once

#ifndef _WIN32

// What the POSIX layer's files share: descriptors that close themselves, errors, and the
// translation of what stat says.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/file_identity.h"
#include "platform/find_entry.h"

namespace tarnwick::posix {

inline void SetError(std::string* error, int code) {
  if (error) *error = std::strerror(code);
}

inline void SetError(std::string* error, const char* text) {
  if (error) *error = text;
}

inline std::int64_t ToNanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

inline struct timespec ToTimespec(std::int64_t nanoseconds) {
  std::int64_t seconds = nanoseconds / 1000000000LL;
  std::int64_t rest = nanoseconds % 1000000000LL;
  if (rest < 0) {
    rest += 1000000000LL;
    --seconds;
  }
  return {static_cast<time_t>(seconds), static_cast<long>(rest)};
}

inline FileIdentity IdentityFromStat(const struct stat& st) {
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

FindEntry EntryFromStat(const struct stat& st, std::string name);

// Writes all of data, going on after interruptions.
bool WriteAll(int fd, const char* data, std::size_t size);

// A new file of the folder dir under a temporary name beside name (ReplaceTempPrefix and digits),
// made with mode; its descriptor, with its name in temp, or -1 with errno set.
int CreateTempBeside(int dir, const std::string& name, mode_t mode, std::string& temp);

// A descriptor that only names a folder: it needs no right to read the folder, only to pass
// through the folders above it.
#ifdef O_PATH
inline constexpr int kFolderNameOnly = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
inline constexpr int kFolderNameOnly = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(-1); }
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

}  // namespace tarnwick::posix

#endif  // !_WIN32
