// Writes that run out of space part way, made real with a file-size limit: the file system
// layer must leave the profile files as they were.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include "platform/file_system.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace tarnwick {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// A disk that fills during a write: the real file system must not leave half of it behind.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    set_ = limit.rlim_cur <= limit.rlim_max && setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  // False where the limit could not be lowered (a hard limit below it, a refusal).
  bool Set() const { return set_; }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  bool set_ = false;
  void (*previousHandler_)(int);
};

constexpr rlim_t kProbeLimit = 1 << 20;
constexpr const char* kNoLimit = "the file-size limit (ulimit -f) cannot be lowered here";

TEST(PartialWriteTest, AppendAndReplaceThatRunOutOfSpaceLeaveTheFileWhole) {
  if (!FileSizeLimit(kProbeLimit).Set()) GTEST_SKIP() << kNoLimit;
  TempDir dir;
  const std::string log = dir / "changes.ini";
  const std::string start = "[Changed]\r\n/web/a.htm=NEW Entry\r\n";
  WriteFile(log, start);
  const std::string more(200000, 'x');
  std::string error;
  {
    FileSizeLimit limit(start.size() + 70000);
    EXPECT_FALSE(SystemFileSystem().AppendToFile(log, "/web/b.htm=" + more + "\r\n", &error));
  }
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadFile(log), start);
  {
    FileSizeLimit limit(70000);
    EXPECT_FALSE(SystemFileSystem().ReplaceFile(log, "[Changed]\r\n" + more + "\r\n", &error));
  }
  EXPECT_EQ(ReadFile(log), start);
  EXPECT_TRUE(testing::LeftoverTempFiles(dir.path()).empty());
}

// Between two file systems the kernel will not copy by itself, so every byte goes through the
// program's own buffer: whole, in pieces larger than the buffer, and refused when the disk fills.
TEST(PartialWriteTest, ACopyBetweenFileSystemsGoesThroughTheBufferWhole) {
  if (!FileSizeLimit(kProbeLimit).Set()) GTEST_SKIP() << kNoLimit;
  TempDir dir;
  char pattern[] = "/dev/shm/tarnwick-copy-XXXXXX";
  const int fd = ::mkstemp(pattern);
  struct stat shm {
  }, disk{};
  if (fd < 0 || ::fstat(fd, &shm) != 0 || ::stat(dir.path().c_str(), &disk) != 0 ||
      shm.st_dev == disk.st_dev) {
    if (fd >= 0) ::unlink(pattern);
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  std::string content(300001, '\0');
  std::mt19937 random(7);
  for (char& c : content) c = static_cast<char>(random());
  ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  ::close(fd);
  std::string error;
  EXPECT_TRUE(SystemFileSystem().CopyFile(pattern, dir / "copy", &error)) << error;
  EXPECT_EQ(ReadFile(dir / "copy"), content);
  {
    FileSizeLimit limit(100000);
    EXPECT_FALSE(SystemFileSystem().CopyFile(pattern, dir / "full", &error));
  }
  EXPECT_FALSE(error.empty());
  ::unlink(pattern);
}

}  // namespace
}  // namespace tarnwick
