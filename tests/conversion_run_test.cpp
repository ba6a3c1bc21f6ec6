#include "engine/conversion_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <utility>

#include "base/folder_path.h"
#include "settings/settings_store.h"
#include "support/failing_file_system.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::MakeFolder;
using testing::ReadFile;
using testing::SetWriteTime;
using testing::TempDir;
using testing::WriteFile;
using testing::WriteTimeOf;

const std::string kSep(1, kPathSeparator);

// Turns "/" in an expected relative path into the platform separator.
std::string P(std::string text) {
  for (char& c : text)
    if (c == '/') c = kPathSeparator;
  return text;
}

class RecordingObserver : public RunObserver {
 public:
  void StatusChanged(const std::string& text) override { statuses.push_back(text); }
  bool CancelRequested() override { return cancelAfter >= 0 && ++asked > cancelAfter; }
  std::vector<std::string> statuses;
  int cancelAfter = -1;
  int asked = 0;
};

class ConversionRunTest : public ::testing::Test {
 protected:
  ConversionRunTest() : src(dir / "Web"), dst(dir / "Web-FTP"), up(dir / "Web-FTP-Uploads") {
    MakeFolder(src);
  }

  void Put(const std::string& relative, const std::string& content, std::int64_t time = 1000000) {
    WriteFile(testing::Join(src, relative), content);
    SetWriteTime(testing::Join(src, relative), time);
  }

  RunResult Convert(const Options& options = DefaultOptions(), std::vector<std::string> skip = {}) {
    ConversionRun run(options, std::move(skip), &observer);
    RunResult result = run.Run(src, dst);
    lastWorkList = run.WorkList;
    lastFolderCount = run.FolderCount;
    return result;
  }

  std::string DestLog() const { return testing::Join(dst, "changes.ini"); }
  std::string UploadsLog() const { return testing::Join(up, "changes.ini"); }
  std::string SrcFile(const std::string& relative) const { return testing::Join(src, relative); }

  TempDir dir;
  std::string src, dst, up;
  RecordingObserver observer;
  std::vector<std::string> lastWorkList;
  std::int64_t lastFolderCount = 0;
};

// ---- scan ---------------------------------------------------------------------------------

TEST_F(ConversionRunTest, ScanLeavesOutExtensionFoldersButNotTheirCleanSubfolders) {
  Put("index.htm", "i");
  Put("_vti_inf.html", "v");
  Put("images/logo.gif", "g");
  Put("images/_vti_cnf/logo.gif", "meta");
  Put("_VTI_PVT/service.cnf", "x");
  Put("my_borders_old/b.htm", "x");
  Put("_private/secret.htm", "x");
  Put("_private/docs/readme.htm", "r");
  Put("_fpclass/c.class", "x");
  Put("_overlay/o.gif", "x");
  Put(".git/config", "x");
  Put(".htaccess", "h");
  Put("images/a^b.htm", "caret");
  MakeFolder(SrcFile("empty"));
  ASSERT_TRUE(Convert().Finished());
  EXPECT_EQ(lastWorkList, (std::vector<std::string>{"^.htaccess", "^_vti_inf.html", "^index.htm",
                                                    P("/_private/docs^readme.htm"),
                                                    P("/images^a^b.htm"), P("/images^logo.gif")}));
  // empty, images and _private/docs are listed folders.
  EXPECT_EQ(lastFolderCount, 3);
  EXPECT_EQ(ReadFile(testing::Join(dst, "images/a^b.htm")), "caret");
  EXPECT_FALSE(Exists(testing::Join(dst, "_private/secret.htm")));
  EXPECT_TRUE(Exists(testing::Join(dst, "_private/docs/readme.htm")));
  EXPECT_FALSE(Exists(testing::Join(dst, ".git")));
}

TEST_F(ConversionRunTest, TrailingSeparatorOnSourceGivesSameEntriesAndKeys) {
  Put("sub/page.htm", "p");
  ConversionRun run(DefaultOptions(), {});
  ASSERT_TRUE(run.Run(src + kSep, dst).Finished());
  EXPECT_EQ(run.WorkList, std::vector<std::string>{P("/sub^page.htm")});
  EXPECT_NE(ReadFile(DestLog()).find(testing::Join(src, "sub/page.htm") + "=NEW Entry"),
            std::string::npos);
}

TEST_F(ConversionRunTest, NamesWithBlanksAndCaretsInFoldersSurvive) {
  Put(" spaced ^dir/ name .htm", "n");
  ASSERT_TRUE(Convert().Finished());
  EXPECT_EQ(ReadFile(testing::Join(dst, " spaced ^dir/ name .htm")), "n");
  EXPECT_EQ(ReadFile(testing::Join(up, " spaced ^dir/ name .htm")), "n");
}

// ---- copy and change detection ------------------------------------------------------------

TEST_F(ConversionRunTest, FirstRunCopiesEverythingAsNewKeepingTimes) {
  Put("index.htm", "home", 1234567);
  Put("a/b/c/deep.gif", "deep");
  RunResult result = Convert();
  EXPECT_EQ(result.copied, 2);
  EXPECT_EQ(result.reported, 2);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(WriteTimeOf(testing::Join(dst, "index.htm")), 1234567);
  EXPECT_EQ(ReadFile(testing::Join(up, "a/b/c/deep.gif")), "deep");
  std::string expected = "[Changed]\r\n" + SrcFile("index.htm") + "=NEW Entry\r\n" +
                         SrcFile("a/b/c/deep.gif") + "=NEW Entry\r\n";
  EXPECT_EQ(ReadFile(DestLog()), expected);
  EXPECT_EQ(ReadFile(UploadsLog()), expected);
  EXPECT_EQ(observer.statuses.back(), "Checking for Deleted Files...");
  EXPECT_NE(std::find(observer.statuses.begin(), observer.statuses.end(),
                      "Analysing >>> found 2 folders, containing 2 files."),
            observer.statuses.end());
}

TEST_F(ConversionRunTest, FindingsFollowTheOptions) {
  Put("date.htm", "same", 1000);
  Put("older.htm", "same", 5000);
  Put("size.htm", "short", 1000);
  Put("both.htm", "short", 1000);
  Put("plain.htm", "p", 1000);
  Convert();
  std::filesystem::remove_all(up);
  Put("date.htm", "SAME", 2000);
  Put("older.htm", "SAME", 4000);  // restored from a backup: older than the copy
  Put("size.htm", "longer", 1000);
  Put("both.htm", "longer", 3000);
  RunResult result = Convert();
  EXPECT_EQ(result.reported, 4);
  EXPECT_EQ(ReadFile(DestLog()), "[Changed]\r\n" + SrcFile("both.htm") + "=Size Changed\r\n" +
                                     SrcFile("date.htm") + "=Date Changed\r\n" +
                                     SrcFile("older.htm") + "=Date Changed\r\n" +
                                     SrcFile("size.htm") + "=Size Changed\r\n");
  EXPECT_FALSE(Exists(testing::Join(up, "plain.htm")));
  EXPECT_EQ(ReadFile(testing::Join(up, "date.htm")), "SAME");

  // Date comparison off: only the size findings remain; size off too: nothing.
  Put("date.htm", "DATE", 9000);
  Put("size.htm", "longest", 1000);
  Options noDate = DefaultOptions();
  noDate.CompareDate = 0;
  EXPECT_EQ(Convert(noDate).reported, 1);
  EXPECT_EQ(ReadFile(DestLog()), "[Changed]\r\n" + SrcFile("size.htm") + "=Size Changed\r\n");
  EXPECT_EQ(ReadFile(testing::Join(dst, "date.htm")), "DATE");  // still copied
  Put("size.htm", "x", 1000);
  noDate.CompareSize = 0;
  EXPECT_EQ(Convert(noDate).reported, 0);
  EXPECT_EQ(ReadFile(testing::Join(dst, "size.htm")), "x");
}

TEST_F(ConversionRunTest, LatestLogHoldsOneRunAndAccumulatedLogKeepsTheLatestValue) {
  Put("page.htm", "one", 1000);
  Put("other.htm", "o", 1000);
  Convert();
  std::string accumulated = ReadFile(UploadsLog());
  RunResult unchanged = Convert();
  EXPECT_EQ(unchanged.copied, 2);  // copied again, overwriting
  EXPECT_EQ(unchanged.reported, 0);
  EXPECT_FALSE(Exists(DestLog()));
  EXPECT_EQ(ReadFile(UploadsLog()), accumulated);
  Put("page.htm", "two", 2000);
  Convert();
  EXPECT_EQ(ReadFile(UploadsLog()), "[Changed]\r\n" + SrcFile("other.htm") + "=NEW Entry\r\n" +
                                        SrcFile("page.htm") + "=Date Changed\r\n");
  EXPECT_EQ(ReadFile(DestLog()), "[Changed]\r\n" + SrcFile("page.htm") + "=Date Changed\r\n");
  EXPECT_EQ(ReadFile(testing::Join(up, "page.htm")), "two");
}

TEST_F(ConversionRunTest, CheckForChangesOffCopiesOnly) {
  Put("Thumbs.db", "t");
  Put("index.htm", "i");
  WriteFile(DestLog(), "[Changed]\r\nstale=NEW Entry\r\n");
  Options options = DefaultOptions();
  options.CheckForChanges = 0;
  RunResult result = Convert(options, {"thumbs.db"});
  EXPECT_EQ(result.copied, 2);  // the skip list is not applied either
  EXPECT_FALSE(Exists(up));
  EXPECT_FALSE(Exists(DestLog()));
}

TEST_F(ConversionRunTest, SkipListMatchesWholeNamesWithoutRegardToCase) {
  Put("Thumbs.db", "t");
  Put("sub/THUMBS.DB", "t");
  Put("star.txt", "s");
#ifndef _WIN32
  // Windows allows no "*" in a file name; there the entry can only miss.
  Put("*.txt", "literal star");
#endif
  Put("keep.htm", "k");
  RunResult result = Convert(DefaultOptions(), {"thumbs.db", "*.txt", ""});
  EXPECT_EQ(result.copied, 2);
  EXPECT_FALSE(Exists(testing::Join(dst, "Thumbs.db")));
  EXPECT_FALSE(Exists(testing::Join(dst, "sub/THUMBS.DB")));
#ifndef _WIN32
  EXPECT_FALSE(Exists(testing::Join(dst, "*.txt")));
#endif
  EXPECT_TRUE(Exists(testing::Join(dst, "star.txt")));
  EXPECT_EQ(ReadFile(DestLog()).find("Thumbs"), std::string::npos);
}

TEST_F(ConversionRunTest, UploadsAndLogsCanBeSwitchedOffSeparately) {
  Put("a.htm", "a");
  Options noUploads = DefaultOptions();
  noUploads.CreateUploadsDir = 0;
  Convert(noUploads);
  EXPECT_FALSE(Exists(up));
  EXPECT_TRUE(Exists(DestLog()));

  Put("a.htm", "changed", 5000);
  Options noReport = DefaultOptions();
  noReport.ReportChanges = 0;
  noReport.ReportDeleted = 0;
  Convert(noReport);
  EXPECT_EQ(ReadFile(testing::Join(up, "a.htm")), "changed");
  EXPECT_FALSE(Exists(DestLog()));
  EXPECT_FALSE(Exists(UploadsLog()));
}

TEST_F(ConversionRunTest, NamesTheLogCannotHoldAreStillRecorded) {
  Put("a=b.htm", "x");
  RunResult result = Convert();
  EXPECT_TRUE(result.failures.empty());
  EXPECT_NE(ReadFile(DestLog()).find(SrcFile("a%3Db.htm") + "=NEW Entry"), std::string::npos);
  EXPECT_EQ(ReadFile(testing::Join(dst, "a=b.htm")), "x");
}

// ---- deleted-file sweep ------------------------------------------------------------------

TEST_F(ConversionRunTest, SweepLogsSizesThenDeletes) {
  Put("keep.htm", "k");
  Put("old.htm", std::string(2048, 'o'));
  Put("sub/gone.htm", "123");
  Convert();
  std::filesystem::remove(SrcFile("old.htm"));
  std::filesystem::remove(SrcFile("sub/gone.htm"));
  Put("new.htm", "n");
  RunResult result = Convert();
  EXPECT_EQ(result.deletedFound, 2);
  EXPECT_EQ(result.deleted, 2);
  EXPECT_FALSE(Exists(testing::Join(dst, "old.htm")));
  EXPECT_TRUE(Exists(testing::Join(dst, "sub")));  // empty folders stay
  std::string latest = "[Changed]\r\n" + SrcFile("new.htm") + "=NEW Entry\r\n[Deleted]\r\n" +
                       testing::Join(dst, "old.htm") + "=2048\r\n" +
                       testing::Join(dst, "sub/gone.htm") + "=3\r\n";
  EXPECT_EQ(ReadFile(DestLog()), latest);
  EXPECT_NE(ReadFile(UploadsLog()).find("[Deleted]\r\n" + testing::Join(dst, "old.htm") + "=2048"),
            std::string::npos);
}

TEST_F(ConversionRunTest, ManyDeletionsAreAllLoggedAndDone) {
  for (int i = 0; i < 40; ++i) Put("d/f" + std::to_string(i) + ".htm", std::to_string(i));
  Convert();
  std::filesystem::remove_all(SrcFile("d"));
  RunResult result = Convert();
  EXPECT_EQ(result.deleted, 40);
  EXPECT_TRUE(result.failures.empty());
  std::string log = ReadFile(DestLog());
  for (int i = 0; i < 40; ++i) {
    EXPECT_FALSE(Exists(testing::Join(dst, "d/f" + std::to_string(i) + ".htm")));
    EXPECT_NE(log.find(testing::Join(dst, "d/f" + std::to_string(i) + ".htm") + "="),
              std::string::npos);
  }
}

TEST_F(ConversionRunTest, SweepOptionCombinations) {
  Put("keep.htm", "k");
  Put("gone.htm", "g");
  Convert();
  std::filesystem::remove(SrcFile("gone.htm"));
  const std::string gone = testing::Join(dst, "gone.htm");

  Options reportOnly = DefaultOptions();
  reportOnly.KillDeleted = 0;
  Convert(reportOnly);
  EXPECT_TRUE(Exists(gone));
  EXPECT_NE(ReadFile(DestLog()).find(gone + "=1"), std::string::npos);
  Convert(reportOnly);  // logged again on every run while it stays
  EXPECT_NE(ReadFile(DestLog()).find(gone + "=1"), std::string::npos);

  Options checksOff = DefaultOptions();
  checksOff.CheckForChanges = 0;
  Convert(checksOff);
  EXPECT_TRUE(Exists(gone));
  EXPECT_FALSE(Exists(DestLog()));

  Options deleteOnly = DefaultOptions();
  deleteOnly.ReportDeleted = 0;
  Convert(deleteOnly);
  EXPECT_FALSE(Exists(gone));
  EXPECT_FALSE(Exists(DestLog()));
}

TEST_F(ConversionRunTest, ChangeLogsAreNeverDeleted) {
  Put("page.htm", "p");
  Convert();
  WriteFile(testing::Join(dst, "sub/changes.ini"), "[x]\r\n");
  WriteFile(testing::Join(dst, ".hidden.htm"), "h");
  WriteFile(testing::Join(dst, ".dotfolder/f.htm"), "f");
  Put("page.htm", "changed!", 99999);
  Convert();
  EXPECT_TRUE(Exists(testing::Join(dst, "sub/changes.ini")));
  EXPECT_FALSE(Exists(testing::Join(dst, ".hidden.htm")));
  EXPECT_TRUE(Exists(testing::Join(dst, ".dotfolder/f.htm")));
  std::string log = ReadFile(DestLog());
  EXPECT_NE(log.find(testing::Join(dst, "sub/changes.ini") + "="), std::string::npos);
  EXPECT_EQ(log.find(DestLog() + "="), std::string::npos);
  // An emptied source sweeps everything but the logs.
  std::filesystem::remove_all(src);
  MakeFolder(src);
  EXPECT_EQ(Convert().deleted, 1);  // only page.htm
  EXPECT_TRUE(Exists(DestLog()));
  EXPECT_TRUE(Exists(testing::Join(dst, "sub/changes.ini")));
}

// ---- refusals and failures ---------------------------------------------------------------

TEST_F(ConversionRunTest, Refusals) {
  EXPECT_EQ(ConversionRun::CheckFolders(src, src).kind, RefusalKind::kSameFolders);
  EXPECT_EQ(ConversionRun::CheckFolders(src, src + kSep).kind, RefusalKind::kSameFolders);
#ifdef _WIN32
  EXPECT_EQ(ConversionRun::CheckFolders(src, dir / "WEB").kind, RefusalKind::kSameFolders);
#else
  // Where case counts these are two folders, whether the second exists yet or not.
  EXPECT_FALSE(ConversionRun::CheckFolders(src, dir / "WEB"));
  MakeFolder(dir / "WEB");
  EXPECT_FALSE(ConversionRun::CheckFolders(src, dir / "WEB"));
#endif
  EXPECT_EQ(ConversionRun::CheckFolders("", dst).kind, RefusalKind::kEmptySource);
  EXPECT_EQ(ConversionRun::CheckFolders(src, "  ").kind, RefusalKind::kEmptyDestination);
  EXPECT_EQ(ConversionRun::CheckFolders(dir / "nowhere", dst).kind, RefusalKind::kSourceMissing);
  EXPECT_EQ(ConversionRun::CheckFolders(src, testing::Join(src, "inner")).kind,
            RefusalKind::kNested);
  EXPECT_EQ(ConversionRun::CheckFolders(testing::Join(dst, "web"), dst).kind,
            RefusalKind::kSourceMissing);
  MakeFolder(testing::Join(up, "web"));
  EXPECT_EQ(ConversionRun::CheckFolders(testing::Join(up, "web"), dst).kind, RefusalKind::kNested);
  EXPECT_EQ(ConversionRun::CheckFolders(up, dst).kind, RefusalKind::kUploadsFolder);
  EXPECT_EQ(ConversionRun::CheckFolders(src, dst + kSep).kind,
            RefusalKind::kUploadsInsideDestination);
  EXPECT_FALSE(ConversionRun::CheckFolders(src, dst));
  EXPECT_FALSE(ConversionRun::CheckFolders(src + kSep, dst));

  Put("a.htm", "a");
  ConversionRun run(DefaultOptions(), {});
  EXPECT_EQ(run.Run(src, src).refusal.kind, RefusalKind::kSameFolders);
  EXPECT_TRUE(run.WorkList.empty());
  EXPECT_FALSE(Exists(src + "-Uploads"));
  EXPECT_EQ(run.Run(src, dir / "no/such/place").refusal.kind,
            RefusalKind::kDestinationParentMissing);
  EXPECT_FALSE(Exists(dir / "no"));
}

TEST_F(ConversionRunTest, FrontPageWebsAndUploadsFoldersAreNoDestinations) {
  Put("_vti_inf.html", "fp");
  Put("index.htm", "i");
  // An FTP web holds the web's "_vti_inf.html" after its first run, and may keep what pages use
  // of "_borders": it stays a destination.
  ASSERT_TRUE(Convert().Finished());
  MakeFolder(testing::Join(dst, "_borders"));
  EXPECT_FALSE(ConversionRun::CheckFolders(src, dst));
  const std::string other = dir / "Other";
  WriteFile(testing::Join(other, "_vti_pvt/service.cnf"), "cnf");
  WriteFile(testing::Join(other, "page.htm"), "p");
  MakeFolder(dir / "Lone-Uploads");  // nothing called "Lone" beside it: an ordinary name
  struct Case {
    std::string source, destination;
    RefusalKind kind;
  };
  const Case cases[] = {
      {src, other, RefusalKind::kDestinationIsWeb},
      {src, up, RefusalKind::kUploadsFolder},
      {src, P(up + "/../Web-FTP-UPLOADS"), RefusalKind::kUploadsFolder},
      {up, dir / "Elsewhere", RefusalKind::kUploadsFolder},
      {src, dir / "Lone-Uploads", RefusalKind::kNone},
      {other, dir / "Other-FTP", RefusalKind::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConversionRun::CheckFolders(c.source, c.destination).kind, c.kind)
        << c.source << " -> " << c.destination;
  const std::string log = ReadFile(UploadsLog());
  ConversionRun run(DefaultOptions(), {});
  EXPECT_EQ(run.Run(src, other).refusal.kind, RefusalKind::kDestinationIsWeb);
  EXPECT_EQ(run.Run(dir / "Lone-Uploads", up).refusal.kind, RefusalKind::kUploadsFolder);
  EXPECT_EQ(ReadFile(testing::Join(other, "_vti_pvt/service.cnf")), "cnf");
  EXPECT_TRUE(Exists(testing::Join(other, "page.htm")));
  EXPECT_FALSE(Exists(other + "-Uploads"));
  EXPECT_EQ(ReadFile(UploadsLog()), log);
}

// Calls an action once, when a status starting with the given text first shows, or at the
// given count of yields after it.
class ActingObserver : public RunObserver {
 public:
  ActingObserver(std::string status, std::function<void()> action, int yields = 0)
      : status_(std::move(status)), action_(std::move(action)), yields_(yields) {}
  void StatusChanged(const std::string& text) override {
    if (!seen_ && text.rfind(status_, 0) == 0) {
      seen_ = true;
      Yield();
    }
  }
  void Yield() override {
    if (seen_ && action_ && yields_-- <= 0) std::exchange(action_, nullptr)();
  }

 private:
  std::string status_;
  std::function<void()> action_;
  int yields_;
  bool seen_ = false;
};

// Refusals where another holds them are in cli_test.cpp, with a second process.
TEST_F(ConversionRunTest, ARunHoldsItsFtpWebAndUploadsFolderWhileItRuns) {
  Put("a.htm", "a");
  FileSystem& fs = SystemFileSystem();
  // Neither exists before the run, which makes them so as to hold them.
  LockOutcome destDuring = LockOutcome::kTaken, uploadsDuring = LockOutcome::kTaken;
  ActingObserver probe("Copying", [&] {
    FolderLock lock;
    destDuring = fs.LockFolder(dst, lock, nullptr);
    uploadsDuring = fs.LockFolder(up, lock, nullptr);
  });
  ConversionRun run(DefaultOptions(), {}, &probe);
  ASSERT_TRUE(run.Run(src, dst).Finished());
  EXPECT_EQ(destDuring, LockOutcome::kBusy);
  EXPECT_EQ(uploadsDuring, LockOutcome::kBusy);
  FolderLock after;
  EXPECT_EQ(fs.LockFolder(dst, after, nullptr), LockOutcome::kTaken);
}

TEST_F(ConversionRunTest, FailedIdentitiesAndHoldsRefuseTheRunBeforeAnythingIsWritten) {
  Put("a.htm", "a");
  ASSERT_TRUE(Convert().Finished());
  Put("b.htm", "b");
  const std::string log = ReadFile(UploadsLog());
  struct Case {
    testing::FsOp op;
    std::string path;
    RefusalKind kind;
  };
  const Case cases[] = {{testing::FsOp::kIdentity, dst, RefusalKind::kUncheckable},
                        {testing::FsOp::kIdentity, up, RefusalKind::kUncheckable},
                        {testing::FsOp::kIdentity, src, RefusalKind::kSourceMissing},
                        {testing::FsOp::kLockFolder, up, RefusalKind::kBusy}};
  for (const Case& c : cases) {
    testing::FailingFileSystem failing;
    failing.FailWhen(c.op, c.path);
    ConversionRun run(DefaultOptions(), {}, nullptr, failing);
    RunResult result = run.Run(src, dst);
    EXPECT_EQ(result.refusal.kind, c.kind) << testing::FsOpName(c.op) << " " << c.path;
    EXPECT_FALSE(result.refusal.message.empty());
    EXPECT_FALSE(Exists(testing::Join(dst, "b.htm")));
    EXPECT_EQ(ReadFile(UploadsLog()), log);
  }
}

TEST_F(ConversionRunTest, ASourceThatGoesAwayDuringTheRunSweepsNothingMore) {
  Put("index.htm", "i");
  Put("gone.htm", "g");
  for (int i = 0; i < 20; ++i) Put("d/f" + std::to_string(i) + ".htm", "f");
  ASSERT_TRUE(Convert().Finished());
  // One page really removed: only what was found before the web went may be swept.
  std::filesystem::remove(SrcFile("gone.htm"));
  const std::string away = src + ".gone";
  auto moveAway = [&] { std::filesystem::rename(src, away); };
  auto replace = [&] {
    std::filesystem::rename(src, away);
    MakeFolder(src);
  };
  struct Case {
    const char* name;
    const char* status;
    int yields;
    std::function<void()> action;
    int deleted;
  };
  const Case cases[] = {
      {"gone during the copy", "Copying", 0, moveAway, 0},
      {"gone before the sweep", "Checking for Deleted Files", 0, moveAway, 0},
      {"replaced before the sweep", "Checking for Deleted Files", 0, replace, 0},
      // The web's own folder is swept first, then "d" is looked up while the web goes.
      {"gone during the sweep", "Checking for Deleted Files", 4, moveAway, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ActingObserver observer(c.status, c.action, c.yields);
    ConversionRun run(DefaultOptions(), {}, &observer);
    RunResult result = run.Run(src, dst);
    EXPECT_EQ(result.deleted, c.deleted);
    ASSERT_FALSE(result.failures.empty());
    EXPECT_EQ(result.failures.back().operation, "check");
    EXPECT_EQ(result.failures.back().path, src);
    for (int i = 0; i < 20; ++i)
      EXPECT_TRUE(Exists(testing::Join(dst, "d/f" + std::to_string(i) + ".htm")));
    EXPECT_TRUE(Exists(testing::Join(dst, "index.htm")));
    if (Exists(DestLog()))
      EXPECT_EQ(ReadFile(DestLog()).find(testing::Join(dst, "d")), std::string::npos);
    if (Exists(away)) {
      std::filesystem::remove_all(src);
      std::filesystem::rename(away, src);
    }
    if (c.deleted == 0) EXPECT_TRUE(Exists(testing::Join(dst, "gone.htm")));
  }
}

TEST_F(ConversionRunTest, FilesOfAFolderThatCouldNotBeListedAreNotTakenForDeleted) {
  Put("sub/a.htm", "a");
  Put("sub/deeper/b.htm", "b");
  Put("c.htm", "c");
  ASSERT_TRUE(Convert().Finished());
  std::filesystem::remove(SrcFile("sub/a.htm"));
  std::filesystem::remove(SrcFile("sub/deeper/b.htm"));
  std::filesystem::remove(SrcFile("c.htm"));
  testing::FailingFileSystem failing;
  failing.FailWhen(testing::FsOp::kReadFolder, SrcFile("sub"));
  ConversionRun run(DefaultOptions(), {}, nullptr, failing);
  RunResult result = run.Run(src, dst);
  EXPECT_EQ(result.deleted, 1);  // c.htm, whose folder was listed
  EXPECT_TRUE(Exists(testing::Join(dst, "sub/a.htm")));
  EXPECT_TRUE(Exists(testing::Join(dst, "sub/deeper/b.htm")));
  std::vector<std::string> operations;
  for (const RunFailure& failure : result.failures) operations.push_back(failure.operation);
  EXPECT_EQ(operations, (std::vector<std::string>{"read folder", "check", "check"}));
  // Listed again, its missing files are swept.
  EXPECT_EQ(Convert().deleted, 2);
}

#ifndef _WIN32
// Windows: links to folders need a privilege the tests do not have; the junction cases of
// file_system_win32_test.cpp stand for these.
TEST_F(ConversionRunTest, LinksAndDotDotCountForWhereTheSystemTakesThem) {
  Put("sub/page.htm", "p");
  MakeFolder(dir / "a/y/z");
  MakeFolder(dir / "outside");
  std::filesystem::create_directory_symlink(SrcFile("sub"), dir / "a/y/z/lnk");
  std::filesystem::create_directory_symlink(src, dir / "weblink");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "outlink");
  // For the system lnk/../.. is the folder that holds the web, not a/y.
  const std::string holder = dir / "a/y/z/lnk/../..";
  EXPECT_EQ(FolderPath(holder).Text(), std::filesystem::weakly_canonical(dir.path()).string());
  struct Case {
    std::string source, destination;
    RefusalKind kind;
  };
  const Case cases[] = {
      {src, dir / "weblink", RefusalKind::kSameFolders},
      {src, holder, RefusalKind::kNested},
      {src, FolderPath(holder).Text(), RefusalKind::kNested},
      {src, dir / "a/y/z/lnk/../ftp", RefusalKind::kNested},
      {dir / "weblink", dir / "a/y/ftp", RefusalKind::kNone},
      {src, dir / "outlink/ftp", RefusalKind::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConversionRun::CheckFolders(c.source, c.destination).kind, c.kind)
        << c.source << " -> " << c.destination;
  // A linked web is converted, into a destination whose parent is a link.
  ConversionRun run(DefaultOptions(), {});
  RunResult result = run.Run(dir / "weblink", dir / "outlink/ftp");
  ASSERT_TRUE(result.Finished()) << result.refusal.message;
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(ReadFile(dir / "outside/ftp/sub/page.htm"), "p");
  EXPECT_EQ(ReadFile(dir / "outside/ftp-Uploads/sub/page.htm"), "p");
  EXPECT_EQ(ReadFile(SrcFile("sub/page.htm")), "p");
}
#endif

TEST_F(ConversionRunTest, ReadOnlyTargetIsReportedAndTheRunGoesOn) {
  Put("locked.htm", "old", 1000);
  Put("free.htm", "old", 1000);
  Convert();
  std::filesystem::permissions(
      testing::Join(dst, "locked.htm"),
      std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  Put("locked.htm", "new", 2000);
  Put("free.htm", "new", 2000);
  RunResult result = Convert();
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].operation, "copy");
  EXPECT_EQ(result.failures[0].path, testing::Join(dst, "locked.htm"));
  EXPECT_EQ(ReadFile(testing::Join(dst, "free.htm")), "new");
  EXPECT_EQ(ReadFile(testing::Join(dst, "locked.htm")), "old");
  // The change is in the uploads folder and both logs even though the FTP web copy failed.
  EXPECT_EQ(ReadFile(testing::Join(up, "locked.htm")), "new");
  EXPECT_NE(ReadFile(DestLog()).find(SrcFile("locked.htm") + "=Date Changed"), std::string::npos);
}

class VanishingObserver : public RunObserver {
 public:
  explicit VanishingObserver(std::string path) : path_(std::move(path)) {}
  void StatusChanged(const std::string& text) override {
    if (text.rfind("Copying", 0) == 0 && !done_) {
      std::filesystem::remove(path_);
      done_ = true;
    }
  }

 private:
  std::string path_;
  bool done_ = false;
};

TEST_F(ConversionRunTest, FileThatVanishedAfterTheScanIsNeitherCopiedNorReported) {
  Put("a.htm", "a");
  Put("b.htm", "b");
  VanishingObserver vanish(SrcFile("b.htm"));
  ConversionRun run(DefaultOptions(), {}, &vanish);
  RunResult result = run.Run(src, dst);
  EXPECT_EQ(result.copied, 1);
  EXPECT_EQ(result.reported, 1);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(ReadFile(DestLog()).find("b.htm"), std::string::npos);
}

TEST_F(ConversionRunTest, FolderThatCannotBeCreatedIsOneFailure) {
  Put("sub/a.htm", "a");
  Put("sub/b.htm", "b");
  Put("c.htm", "c");
  MakeFolder(dst);
  WriteFile(testing::Join(dst, "sub"), "a file in the way");
  RunResult result = Convert();
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(result.failures[0].operation, "create folder");
  EXPECT_EQ(result.copied, 1);
}

TEST_F(ConversionRunTest, CancelStopsAfterTheFileInProgress) {
  for (int i = 0; i < 10; ++i) Put("f" + std::to_string(i) + ".htm", "x");
  Convert();
  for (int i = 0; i < 10; ++i) Put("f" + std::to_string(i) + ".htm", "changed", 5000);
  observer.cancelAfter = 3;
  RunResult result = Convert();
  EXPECT_TRUE(result.cancelled);
  EXPECT_FALSE(result.Finished());
  EXPECT_LT(result.copied, 10);
  // Whatever reached the FTP web is in the log: nothing is lost.
  EXPECT_EQ(result.copied, result.reported);
  observer.cancelAfter = -1;
  RunResult rest = Convert();
  EXPECT_EQ(rest.reported, 10 - result.copied);
}

}  // namespace
}  // namespace tarnwick
