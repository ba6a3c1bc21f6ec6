// Folders of the FTP web swapped for links into the web at the worst moment: while copies and
// deletions wait for their log lines, and the FTP web's own top folder in the middle of a run.
// The run reaches everything through the folders it opened, so the web is never written.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <utility>

#include "engine/conversion_run.h"
#include "support/entry_observer.h"
#include "support/forwarding_file_system.h"
#include "support/new_user_options.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace fs = std::filesystem;

namespace tarnwick {
namespace {

using testing::Exists;
using testing::FsOp;
using testing::Join;
using testing::ReadFile;
using testing::SetWriteTime;
using testing::TempDir;
using testing::TreeContents;
using testing::WriteFile;

// Does something once, just before the first operation of one kind on one path.
class SwappingFileSystem : public testing::ForwardingFileSystem {
 public:
  SwappingFileSystem(FsOp op, std::string path, std::function<void()> swap)
      : op_(op), path_(std::move(path)), swap_(std::move(swap)) {}

 protected:
  bool Allow(FsOp op, const std::string& path, const std::string&, std::string*) override {
    // Only the run's own thread writes the logs; the deletions' threads never get this far.
    if (op == op_ && path == path_ && swap_) std::exchange(swap_, nullptr)();
    return true;
  }

 private:
  const FsOp op_;
  const std::string path_;
  std::function<void()> swap_;
};

class SwappedFoldersTest : public ::testing::Test {
 protected:
  SwappedFoldersTest() : src(dir / "Web"), dst(dir / "Web-FTP"), up(dir / "Web-FTP-Uploads") {}

  void Put(const std::string& relative, const std::string& content, std::int64_t time = 1000) {
    WriteFile(Join(src, relative), content);
    SetWriteTime(Join(src, relative), time);
  }

  RunResult Convert(FileSystem& fs = SystemFileSystem(), RunObserver* observer = nullptr) {
    return ConversionRun(testing::NewUserOptions(), {}, observer, fs).Run(src, dst);
  }

  // The FTP web's folder name moved out of the trees, a link to the web's folder target in
  // its place.
  std::function<void()> Swap(const std::string& name, const std::string& target) {
    return [=, this] {
      fs::rename(Join(dst, name), dir / ("moved-" + name));
      fs::create_directory_symlink(Join(src, target), Join(dst, name));
    };
  }

  // Held before the first write of the FTP web's latest-run log: everything logged waits.
  SwappingFileSystem AtLogFlush(std::function<void()> swap) {
    return SwappingFileSystem(FsOp::kReplaceFile, Join(dst, "changes.ini"), std::move(swap));
  }

  static std::set<std::string> FailedPaths(const RunResult& result) {
    std::set<std::string> paths;
    for (const RunFailure& failure : result.failures) paths.insert(failure.path);
    return paths;
  }

  TempDir dir;
  std::string src, dst, up;
};

TEST_F(SwappedFoldersTest, WaitingCopiesAndDeletionsStayInTheFoldersTheyWereHeldIn) {
  Put("sub/page.htm", "sub");
  Put("sub/gone.htm", "gone");
  Put("other/page.htm", "other");
  Put("other/gone.htm", "other gone");
  ASSERT_TRUE(Convert().failures.empty());

  // A changed page's copy waits for its log line while its FTP web folder is swapped.
  Put("sub/page.htm", "sub, edited", 2000);
  std::map<std::string, std::string> web = TreeContents(src);
  SwappingFileSystem copySwap = AtLogFlush(Swap("sub", "other"));
  EXPECT_TRUE(Convert(copySwap).failures.empty());
  ASSERT_TRUE(fs::is_symlink(Join(dst, "sub")));
  EXPECT_EQ(TreeContents(src), web);
  EXPECT_EQ(ReadFile(dir / "moved-sub/page.htm"), "sub, edited");
  fs::remove(Join(dst, "sub"));
  fs::rename(dir / "moved-sub", Join(dst, "sub"));

  // A deletion waits for its log line in the same way.
  fs::remove(Join(src, "sub/gone.htm"));
  web = TreeContents(src);
  SwappingFileSystem deleteSwap = AtLogFlush(Swap("sub", "other"));
  RunResult result = Convert(deleteSwap);
  EXPECT_TRUE(result.failures.empty());
  ASSERT_TRUE(fs::is_symlink(Join(dst, "sub")));
  EXPECT_EQ(result.deleted, 1);
  EXPECT_EQ(TreeContents(src), web);
  EXPECT_FALSE(Exists(dir / "moved-sub/gone.htm"));
}

TEST_F(SwappedFoldersTest, CopiesBeyondTheFoldersHeldAreOpenedAgainNeverThroughALink) {
  // More folders than the waiting copies hold: the later ones are opened again from the FTP
  // web's root when their log lines are on disk.
  for (int i = 0; i < 70; ++i) Put("f" + std::to_string(i) + "/page.htm", std::to_string(i));
  const std::map<std::string, std::string> web = TreeContents(src);
  SwappingFileSystem swapping = AtLogFlush([&] {
    Swap("f10", "f0")();
    Swap("f69", "f1")();
  });
  RunResult result = Convert(swapping);
  EXPECT_EQ(TreeContents(src), web);
  // Still held: the copy went into the folder moved away. Opened again: refused, and listed.
  EXPECT_EQ(ReadFile(dir / "moved-f10/page.htm"), "10");
  EXPECT_FALSE(Exists(dir / "moved-f69/page.htm"));
  EXPECT_EQ(FailedPaths(result), std::set<std::string>{Join(dst, "f69/page.htm")});
  EXPECT_EQ(result.copied, 69);
}

using testing::EntryObserver;

TEST_F(SwappedFoldersTest, AnFtpWebOrUploadsFolderReplacedDuringTheRunGetsNothingMore) {
  for (const std::string& target : {dst, up}) {
    SCOPED_TRACE(target);
    fs::remove_all(dst);
    fs::remove_all(up);
    fs::remove_all(src);
    Put("one/a.htm", "a");
    Put("two/b.htm", "b");
    Put("changes.ini", "[Changed]\r\nmine=kept\r\n");
    const std::map<std::string, std::string> web = TreeContents(src);
    // The first page's copy into the FTP web waits for its log line when, at the second
    // folder, the folder is moved away and a link to the web takes its name.
    const std::string old = target + ".old";
    EntryObserver observer(1, [&] {
      fs::rename(target, old);
      fs::create_directory_symlink(src, target);
    });
    RunResult result = Convert(SystemFileSystem(), &observer);
    EXPECT_EQ(TreeContents(src), web);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].operation, "check");
    EXPECT_EQ(result.failures[0].path, target);
    // Nothing more went into the folder moved away, nor into the other one.
    fs::remove(target);
    fs::rename(old, target);
    for (const std::string& folder : {dst, up}) {
      EXPECT_FALSE(Exists(Join(folder, "two"))) << folder;
      EXPECT_EQ(TreeContents(folder).count("changes.ini"), 0u) << folder;
    }
    EXPECT_FALSE(Exists(Join(dst, "one/a.htm")));
    EXPECT_EQ(result.copied, 0);
    // The next run finds the change again.
    result = Convert();
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(ReadFile(Join(dst, "one/a.htm")), "a");
    EXPECT_EQ(ReadFile(Join(up, "one/a.htm")), "a");
  }
}

}  // namespace
}  // namespace tarnwick
