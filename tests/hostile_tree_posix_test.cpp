// Source webs as real machines hold them: odd names, links, pipes, folders without access,
// files that change under the run, very deep paths. No crash, no hang, nothing written
// outside the FTP web and its uploads folder, and a clear failure for what was not copied.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>
#include <utility>

#include "engine/conversion_run.h"
#include "rules/file_compare.h"
#include "settings/ini_editor.h"
#include "settings/settings_store.h"
#include "support/entry_observer.h"
#include "support/new_user_options.h"
#include "support/privileges.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace fs = std::filesystem;

namespace tarnwick {
namespace {

using testing::Exists;
using testing::Join;
using testing::MakeFolder;
using testing::ReadFile;
using testing::SetWriteTime;
using testing::TempDir;
using testing::WriteFile;

// Every entry below root (links not followed) with its kind and, for files, content.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::none, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::file_status status = it->symlink_status(ec);
    std::string kind = fs::is_symlink(status)        ? "link"
                       : fs::is_directory(status)    ? "folder"
                       : fs::is_regular_file(status) ? "file:" + ReadFile(it->path().string())
                                                     : "special";
    out[it->path().string()] = kind;
  }
  return out;
}

class HostileTreeTest : public ::testing::Test {
 protected:
  HostileTreeTest() : src(dir / "Web"), dst(dir / "Web-FTP"), up(dir / "Web-FTP-Uploads") {
    MakeFolder(src);
  }

  void Put(const std::string& relative, const std::string& content, std::int64_t time = 1000) {
    WriteFile(Join(src, relative), content);
    SetWriteTime(Join(src, relative), time);
  }

  // Runs and checks that nothing outside the FTP web and its uploads folder changed.
  // A test that changes the source during the run itself leaves the source out of the check.
  RunResult Convert(RunObserver* observer = nullptr, bool sourceChanges = false) {
    auto outside = [this, sourceChanges] {
      std::map<std::string, std::string> all = Snapshot(dir.path());
      auto inside = [](const std::string& path, const std::string& folder) {
        return path == folder || path.rfind(folder + kPathSeparator, 0) == 0;
      };
      for (auto it = all.begin(); it != all.end();) {
        bool ours = inside(it->first, dst) || inside(it->first, up) ||
                    (sourceChanges && inside(it->first, src));
        it = ours ? all.erase(it) : std::next(it);
      }
      return all;
    };
    std::map<std::string, std::string> before = outside();
    ConversionRun run(testing::NewUserOptions(), {}, observer);
    RunResult result = run.Run(src, dst);
    EXPECT_TRUE(outside() == before) << "something outside the FTP web was written";
    return result;
  }

  std::string UploadsLogValue(const std::string& section, const std::string& key) {
    IniEditor editor;
    editor.IniFile = Join(up, "changes.ini");
    editor.IniSection = section;
    return editor.ReadIniValue(key, "(missing)");
  }

  TempDir dir;
  std::string src, dst, up;
};

// Runs body with the rights of an ordinary user, so that permissions count even when the
// tests run as the administrator (testing::PermissionProblem says whether they can).
void AsOrdinaryUser(const std::string& tree, const std::function<void()>& body) {
  if (geteuid() != 0) {
    body();
    return;
  }
  pid_t child = fork();
  if (child == 0) {
    using testing::kNobody;
    for (auto it = fs::recursive_directory_iterator(tree); it != fs::recursive_directory_iterator();
         ++it)
      lchown(it->path().c_str(), kNobody, kNobody);
    lchown(tree.c_str(), kNobody, kNobody);
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
    body();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the checks as a user failed";
}

// ---- names -----------------------------------------------------------------------------

TEST_F(HostileTreeTest, OddNamesAreCopiedMirroredAndLoggedUnderKeysOfTheirOwn) {
  const std::vector<std::string> names = {"a^b.htm",
                                          " both ends ",
                                          "both ends",
                                          "a=b.htm",
                                          "a%3Db.htm",
                                          "[sec].htm",
                                          ";semi.htm",
                                          "gr\xC3\xB6\xC3\x9F"
                                          "e.htm",
                                          "\xFF\xFE",
                                          "new\nline",
                                          "cr\rname",
                                          "tab\tend\t",
                                          "fol^der/x.htm",
                                          "k=v/z.htm",
                                          "\n/u.htm"};
  for (const std::string& name : names) Put(name, "<" + name + ">");
  RunResult result = Convert();
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(result.entries, static_cast<std::int64_t>(names.size()));
  std::set<std::string> keys;
  for (const std::string& name : names) {
    EXPECT_EQ(ReadFile(Join(dst, name)), "<" + name + ">") << name;
    EXPECT_EQ(ReadFile(Join(up, name)), "<" + name + ">") << name;
    std::string key = LogKey(Join(src, name));
    keys.insert(LowerCase(key));
    EXPECT_EQ(UploadsLogValue("Changed", key), "NEW Entry") << name;
  }
  // Each file has a key of its own, except where the names are the very spelling of another
  // name's encoded key ("a=b.htm" and "a%3Db.htm"), which a user does not meet.
  EXPECT_EQ(keys.size(), names.size() - 1);
  testing::StrictProfile log = testing::ReadStrictProfile(Join(up, "changes.ini"));
  EXPECT_EQ(log.problem, "");
  EXPECT_EQ(log.sections.size(), 1u) << "a name opened a section of its own";

  for (const std::string& name : names) Put(name, "<" + name + "> edited", 2000);
  EXPECT_TRUE(Convert().failures.empty());
  for (const std::string& name : names)
    EXPECT_EQ(UploadsLogValue("Changed", LogKey(Join(src, name))), "Size Changed") << name;

  fs::remove_all(src);
  MakeFolder(src);
  result = Convert();
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(result.deleted, static_cast<std::int64_t>(names.size()));
  for (const std::string& name : names) {
    EXPECT_FALSE(Exists(Join(dst, name))) << name;
    EXPECT_NE(UploadsLogValue("Deleted", LogKey(Join(dst, name))), "(missing)") << name;
  }
}

// ---- links, pipes, access --------------------------------------------------------------

TEST_F(HostileTreeTest, LinksAndPipesAreNeverFollowedOrOpened) {
  Put("index.htm", "home");
  MakeFolder(dir / "outside");
  WriteFile(dir / "outside/secret.htm", "outside");
  fs::create_directory_symlink(src, Join(src, "loop"));              // a loop to the web
  fs::create_directory_symlink(dir / "outside", Join(src, "away"));  // a folder elsewhere
  fs::create_symlink(Join(src, "b"), Join(src, "a"));                // two links in a ring
  fs::create_symlink(Join(src, "a"), Join(src, "b"));
  ASSERT_EQ(mkfifo(Join(src, "pipe.htm").c_str(), 0644), 0);
  fs::create_symlink(Join(src, "index.htm"), Join(src, "alias.htm"));  // a page by a second name

  RunResult result = Convert();
  EXPECT_TRUE(result.failures.empty());
  std::map<std::string, std::string> ftpWeb = testing::TreeContents(dst);
  ftpWeb.erase("changes.ini");
  EXPECT_EQ(ftpWeb,
            (std::map<std::string, std::string>{{"alias.htm", "home"}, {"index.htm", "home"}}));

  // The FTP web itself with a link and a pipe in the way of the copies.
  Put("sub/page.htm", "page");
  Put("other.htm", "other");
  fs::create_directory_symlink(dir / "outside", Join(dst, "sub"));
  ASSERT_EQ(mkfifo(Join(dst, "other.htm").c_str(), 0644), 0);
  fs::remove(Join(up, "changes.ini"));
  ASSERT_EQ(mkfifo(Join(up, "changes.ini").c_str(), 0644), 0);  // even the accumulated log
  result = Convert();
  std::set<std::string> failed;
  for (const RunFailure& failure : result.failures) failed.insert(failure.path);
  EXPECT_TRUE(failed.count(Join(dst, "sub")) != 0) << "the link in the way was not reported";
  EXPECT_TRUE(failed.count(Join(dst, "other.htm")) != 0) << "the pipe in the way";
  EXPECT_TRUE(failed.count(Join(up, "changes.ini")) != 0) << "the log that is a pipe";
  EXPECT_FALSE(Exists(dir / "outside/page.htm"));
}

using testing::EntryObserver;

TEST_F(HostileTreeTest, EntriesPutInFoldersTheRunHasJustMadeAreNeverWrittenThrough) {
  for (const char* name : {"a.htm", "b.htm", "c.htm"}) Put(std::string("sub/") + name, name);
  const std::string outside = dir / "outside.htm";
  WriteFile(outside, "outside");
  // Once the first page is handled, both folders exist, made by this run: the names of the
  // later pages are taken by a link to a file elsewhere and by a second name of that file.
  EntryObserver observer(1, [&] {
    for (const std::string& folder : {Join(dst, "sub"), Join(up, "sub")}) {
      fs::create_symlink(outside, Join(folder, "b.htm"));
      fs::create_hard_link(outside, Join(folder, "c.htm"));
    }
  });
  RunResult result = Convert(&observer);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(ReadFile(outside), "outside");
  EXPECT_EQ(fs::hard_link_count(outside), 1u);
  for (const std::string& folder : {Join(dst, "sub"), Join(up, "sub")}) {
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) {
      SCOPED_TRACE(Join(folder, name));
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Join(folder, name))));
      EXPECT_EQ(ReadFile(Join(folder, name)), name);
    }
  }
}

TEST_F(HostileTreeTest, AnFtpWebOrUploadsFolderThatCannotBeWrittenRefusesTheRunBeforeTheScan) {
  if (const std::string problem = testing::PermissionProblem(); !problem.empty())
    GTEST_SKIP() << problem;
  for (int i = 0; i < 12; ++i) Put("page" + std::to_string(i) + ".htm", "page");
  AsOrdinaryUser(dir.path(), [&] {
    struct Case {
      const char* locked;  // made read-only
      const char* named;   // the folder the message names
    };
    for (const Case& c : {Case{"", "FTP web"}, Case{"Web-FTP", "FTP web"},
                          Case{"Web-FTP-Uploads", "uploads folder"}}) {
      SCOPED_TRACE(c.locked);
      fs::remove_all(dst);
      fs::remove_all(up);
      if (*c.locked) MakeFolder(Join(dir.path(), c.locked));
      chmod(*c.locked ? Join(dir.path(), c.locked).c_str() : dir.path().c_str(), 0555);
      RunResult result = Convert();
      chmod(*c.locked ? Join(dir.path(), c.locked).c_str() : dir.path().c_str(), 0755);
      // One refusal that says why, not a failure per file; nothing was copied anywhere.
      EXPECT_EQ(result.refusal.kind, RefusalKind::kUnwritable);
      EXPECT_NE(result.refusal.message.find(std::string("The ") + c.named), std::string::npos)
          << result.refusal.message;
      EXPECT_NE(result.refusal.message.find(std::strerror(EACCES)), std::string::npos)
          << result.refusal.message;
      EXPECT_TRUE(result.failures.empty());
      EXPECT_EQ(result.entries, 0);
      EXPECT_FALSE(Exists(Join(dst, "page0.htm")));
      EXPECT_FALSE(Exists(Join(dst, ".changes.ini.tmp0")));
    }
    // Where both may be written, the same web converts, and the probe leaves nothing behind.
    RunResult result = Convert();
    EXPECT_FALSE(result.refusal) << result.refusal.message;
    EXPECT_EQ(result.copied, 12);
    EXPECT_EQ(Snapshot(dst).size(), 13u);  // the pages and the latest-run log
  });
}

TEST_F(HostileTreeTest, FoldersWithoutAccessAreReportedAndTheirCopiesKept) {
  if (const std::string problem = testing::PermissionProblem(); !problem.empty())
    GTEST_SKIP() << problem;
  Put("index.htm", "home");
  Put("locked/page.htm", "page");
  Put("listonly/item.htm", "item");
  Put("unreadable.htm", "secret");
  ASSERT_TRUE(Convert().failures.empty());
  AsOrdinaryUser(dir.path(), [&] {
    Put("index.htm", "home again", 2000);
    chmod(Join(src, "locked").c_str(), 0);
    chmod(Join(src, "listonly").c_str(), 0444);  // names readable, entries not
    chmod(Join(src, "unreadable.htm").c_str(), 0);
    SetWriteTime(Join(src, "unreadable.htm"), 3000);
    RunResult result = Convert();
    std::map<std::string, std::string> failures;
    for (const RunFailure& failure : result.failures)
      failures[failure.path] = failure.operation + ": " + failure.reason;
    EXPECT_TRUE(failures.count(Join(src, "locked"))) << "the folder without access";
    EXPECT_TRUE(failures.count(Join(src, "listonly/item.htm")) ||
                failures.count(Join(src, "listonly")))
        << "the file that cannot be examined";
    // The sweep must not take files whose source it cannot see for deleted ones.
    EXPECT_EQ(ReadFile(Join(dst, "locked/page.htm")), "page");
    EXPECT_EQ(ReadFile(Join(dst, "listonly/item.htm")), "item");
    EXPECT_EQ(UploadsLogValue("Deleted", LogKey(Join(dst, "locked/page.htm"))), "(missing)");
    // The unreadable file was not copied: the FTP web keeps the old copy and the change waits.
    // The failure names the file that could not be read.
    EXPECT_TRUE(failures.count(Join(src, "unreadable.htm")) != 0);
    EXPECT_EQ(ReadFile(Join(dst, "unreadable.htm")), "secret");
    EXPECT_EQ(ReadFile(Join(dst, "index.htm")), "home again");
    chmod(Join(src, "locked").c_str(), 0755);
    chmod(Join(src, "listonly").c_str(), 0755);
    chmod(Join(src, "unreadable.htm").c_str(), 0644);
    EXPECT_TRUE(Convert().failures.empty());
    EXPECT_EQ(UploadsLogValue("Changed", LogKey(Join(src, "unreadable.htm"))), "Date Changed");
  });
}

// ---- file systems that keep coarse times ---------------------------------------------

// The FTP web on ext2 with 128-byte inodes, which keeps whole seconds, loop-mounted. Needs
// the administrator and loop devices; skipped where mounting is not permitted.
TEST_F(HostileTreeTest, AnFtpWebThatKeepsWholeSecondsSeesOnlyRealChanges) {
  const std::string image = dir / "ext2.img";
  const std::string mountPoint = dir / "mnt";
  MakeFolder(mountPoint);
  if (geteuid() != 0) GTEST_SKIP() << "mounting needs the administrator";
  if (std::system(
          ("truncate -s 8M " + image + " && mkfs.ext2 -q -F -I 128 " + image + " >/dev/null 2>&1")
              .c_str()) != 0)
    GTEST_SKIP() << "mkfs.ext2 cannot make the image";
  if (std::system(("mount -o loop " + image + " " + mountPoint + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "loop mounts are not permitted here";
  struct Unmount {
    std::string point;
    ~Unmount() { static_cast<void>(std::system(("umount " + point).c_str())); }
  } unmount{mountPoint};
  EXPECT_EQ(SystemFileSystem().WriteTimeStep(Join(mountPoint, "probe")), 1000000000);
  EXPECT_EQ(SystemFileSystem().WriteTimeStep(dir / "probe"), 1);
  EXPECT_FALSE(Exists(Join(mountPoint, "probe")));

  dst = Join(mountPoint, "Web-FTP");
  up = dst + "-Uploads";
  Put("a.htm", "a");
  Put("b.htm", "b");
  SetWriteTime(Join(src, "a.htm"), 1000, 750000000);
  SetWriteTime(Join(src, "b.htm"), 1000, 250000000);
  // The image itself changes with every write, so the fixture's check of what lies outside
  // the FTP web cannot hold here.
  auto convert = [&] {
    return ConversionRun(testing::NewUserOptions(), {}).Run(src, dst).reported;
  };
  EXPECT_EQ(convert(), 2);
  EXPECT_EQ(convert(), 0);
  SetWriteTime(Join(src, "a.htm"), 1001, 750000000);  // saved again, same size
  EXPECT_EQ(convert(), 1);
}

// ---- files that change under the run --------------------------------------------------

TEST_F(HostileTreeTest, FilesThatGrowOrVanishDuringTheRun) {
  Put("gone.htm", "gone");
  Put("stays.htm", "stays");
  ASSERT_TRUE(Convert().failures.empty());
  // A file that vanishes after the scan is not copied, not a failure, and the sweep of the
  // same run takes its copy away, logged.
  Put("stays.htm", "stays, edited", 2000);
  EntryObserver vanisher(0, [&] { fs::remove(Join(src, "gone.htm")); });
  RunResult result = Convert(&vanisher, true);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_FALSE(Exists(Join(dst, "gone.htm")));
  EXPECT_EQ(UploadsLogValue("Deleted", LogKey(Join(dst, "gone.htm"))), "4");

  // A log file that a program keeps writing while the run copies it: the run ends, and the
  // copy is either whole or reported, never a silent mix.
  const std::string growing = Join(src, "server.log");
  WriteFile(growing, std::string(4 << 20, 'x'));
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    int fd = open(growing.c_str(), O_WRONLY | O_APPEND);
    std::string line(512, 'y');
    while (!stop) {
      if (write(fd, line.data(), line.size()) < 0) break;
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    close(fd);
  });
  result = Convert(nullptr, true);
  stop = true;
  writer.join();
  bool reported = false;
  for (const RunFailure& failure : result.failures) {
    // The uploads copy is the first; when it fails the FTP web copy is withheld.
    EXPECT_TRUE(failure.reason == "the file changed while it was copied" ||
                failure.reason.rfind("not updated", 0) == 0)
        << failure.path << ": " << failure.reason;
    reported = reported || failure.reason == "the file changed while it was copied";
  }
  if (!reported) EXPECT_EQ(ReadFile(Join(dst, "server.log")).size() % 512, 0u);
  // Once the writer has stopped, the next run brings the whole file over.
  result = Convert();
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(ReadFile(Join(dst, "server.log")), ReadFile(growing));
  EXPECT_EQ(ReadFile(Join(up, "server.log")), ReadFile(growing));
}

// ---- size and depth -----------------------------------------------------------------------

TEST_F(HostileTreeTest, PathsDeeperThanAHundredLevelsAndLongerThanThePlatformAllows) {
  std::string deep;
  for (int i = 0; i < 130; ++i) deep += "d" + std::to_string(i % 10) + "/";
  Put(deep + "bottom.htm", "bottom");
  Put("top.htm", "top");
  // Beyond the platform's path length: made one level at a time, relative to the last, as the
  // run reaches every folder from the one above it.
  const std::string longName(200, 'n');
  int fd = open(src.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 25 && fd >= 0; ++i) {
    ASSERT_EQ(mkdirat(fd, longName.c_str(), 0755), 0);
    int next = openat(fd, longName.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  int file = openat(fd, "far.htm", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  close(file);
  close(fd);

  RunResult result = Convert();
  EXPECT_EQ(ReadFile(Join(dst, deep + "bottom.htm")), "bottom");
  EXPECT_EQ(ReadFile(Join(up, deep + "bottom.htm")), "bottom");
  EXPECT_EQ(ReadFile(Join(dst, "top.htm")), "top");
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(result.reported, 3);
  // Everything was copied, the far file too: the next run finds nothing to do.
  result = Convert();
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(result.reported, 0);
  std::error_code ec;
  fs::remove_all(dst, ec);  // the deep folders are too long for the usual removal
}

}  // namespace
}  // namespace tarnwick
