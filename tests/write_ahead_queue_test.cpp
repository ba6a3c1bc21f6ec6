// The FTP web's copies wait for their log lines; how long they wait is told by a clock.
#include "engine/write_ahead_queue.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::MakeFolder;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class WriteAheadQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir / "web/a.htm", "a");
    MakeFolder(dir / "ftp");
    web = SystemFileSystem().OpenFolder(dir / "web", nullptr);
    ftp = SystemFileSystem().OpenFolder(dir / "ftp", nullptr);
    ASSERT_TRUE(web && ftp);
    log.Open(dir / "ftp", ftp, dir / "ftp-Uploads", nullptr, false);
    log.Switch(LogSection::kChanged);
    log.DeferWrites(true);
    queue.Start();
  }

  // A logged copy of web/<name> that waits for its line.
  void AddLoggedCopy(const std::string& name) {
    ASSERT_TRUE(log.Write(LogKey(dir / ("web/" + name)), "NEW Entry"));
    queue.AddCopy(PendingAction{dir / ("web/" + name), dir / ("ftp/" + name), WebPath(), name, web,
                                ftp, true});
  }

  bool LogOnDisk() const { return Exists(dir / "ftp/changes.ini"); }

  TempDir dir;
  std::chrono::steady_clock::time_point now{};
  RunResult result;
  std::shared_ptr<Folder> web, ftp;
  ChangeLog log{result};
  WriteAheadQueue queue{SystemFileSystem(), log, result, [this] { return now; }};
};

TEST_F(WriteAheadQueueTest, AppendedLinesWaitAQuarterSecond) {
  // Lines that only go at the end of the log are cheap to write: time alone sends them.
  WriteFile(dir / "ftp/changes.ini", "[Changed]\r\n");
  AddLoggedCopy("a.htm");
  queue.MaybeFlush();
  now += std::chrono::milliseconds(249);
  queue.MaybeFlush();
  EXPECT_EQ(ReadFile(dir / "ftp/changes.ini"), "[Changed]\r\n");
  EXPECT_FALSE(Exists(dir / "ftp/a.htm"));

  now += std::chrono::milliseconds(1);
  queue.MaybeFlush();
  EXPECT_NE(ReadFile(dir / "ftp/changes.ini").find("a.htm=NEW Entry"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "ftp/a.htm"), "a");
  EXPECT_EQ(result.copied, 1);

  // The quarter second counts from the last flush.
  WriteFile(dir / "web/b.htm", "b");
  AddLoggedCopy("b.htm");
  now += std::chrono::milliseconds(249);
  queue.MaybeFlush();
  EXPECT_FALSE(Exists(dir / "ftp/b.htm"));
  now += std::chrono::milliseconds(1);
  queue.MaybeFlush();
  EXPECT_TRUE(Exists(dir / "ftp/b.htm"));
  EXPECT_TRUE(result.failures.empty());
}

TEST_F(WriteAheadQueueTest, ANewLogWaitsForManyCopiesWhateverTheTime) {
  WriteFile(dir / "ftp/.keep", "");
  for (int i = 0; i < 256; ++i) {
    const std::string name = "f" + std::to_string(i) + ".htm";
    WriteFile(dir / ("web/" + name), name);
    AddLoggedCopy(name);
    now += std::chrono::seconds(1);
    queue.MaybeFlush();
    EXPECT_EQ(LogOnDisk(), i == 255) << i;
  }
  EXPECT_EQ(result.copied, 256);
}

}  // namespace
}  // namespace tarnwick
