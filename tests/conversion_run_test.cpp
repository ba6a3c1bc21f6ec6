#include "engine/conversion_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <tuple>
#include <utility>

#include "base/folder_path.h"
#include "settings/settings_store.h"
#include "support/failing_file_system.h"
#include "support/new_user_options.h"
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

  RunResult Convert(const Options& options = testing::NewUserOptions(),
                    std::vector<std::string> skip = {}) {
    ConversionRun run(options, std::move(skip), &observer);
    return run.Run(src, dst);
  }

  std::string DestLog() const { return testing::Join(dst, "changes.ini"); }
  std::string UploadsLog() const { return testing::Join(up, "changes.ini"); }
  std::string SrcFile(const std::string& relative) const { return testing::Join(src, relative); }

  TempDir dir;
  std::string src, dst, up;
  RecordingObserver observer;
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
  Put(" spaced ^dir/ name .htm", "n");
  MakeFolder(SrcFile("empty"));
  // A trailing separator on the source changes neither the entries nor the log's keys.
  ConversionRun run(testing::NewUserOptions(), {});
  ASSERT_TRUE(run.Run(src + kSep, dst).Finished());
  EXPECT_EQ(run.WorkList,
            (std::vector<std::string>{"^.htaccess", "^_vti_inf.html", "^index.htm",
                                      P("/ spaced ^dir^ name .htm"), P("/_private/docs^readme.htm"),
                                      P("/images^a^b.htm"), P("/images^logo.gif")}));
  // empty, images, _private/docs and " spaced ^dir" are listed folders.
  EXPECT_EQ(run.FolderCount, 4);
  EXPECT_NE(ReadFile(DestLog()).find(SrcFile("images/logo.gif") + "=NEW Entry"), std::string::npos);
  EXPECT_EQ(ReadFile(testing::Join(dst, "images/a^b.htm")), "caret");
  EXPECT_EQ(ReadFile(testing::Join(up, " spaced ^dir/ name .htm")), "n");
  EXPECT_FALSE(Exists(testing::Join(dst, "_private/secret.htm")));
  EXPECT_TRUE(Exists(testing::Join(dst, "_private/docs/readme.htm")));
  EXPECT_FALSE(Exists(testing::Join(dst, ".git")));
}

// ---- copy and change detection ------------------------------------------------------------

TEST_F(ConversionRunTest, FirstRunCopiesEverythingAsNewKeepingTimes) {
  Put("index.htm", "home", 1234567);
  Put("a/b/c/deep.gif", "deep");
  Put("a/b/c/empty.htm", "");
  RunResult result = Convert();
  EXPECT_EQ(result.copied, 3);
  EXPECT_EQ(result.reported, 3);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(WriteTimeOf(testing::Join(dst, "index.htm")), 1234567);
  EXPECT_EQ(ReadFile(testing::Join(up, "a/b/c/deep.gif")), "deep");
  EXPECT_EQ(ReadFile(testing::Join(dst, "a/b/c/empty.htm")), "");
  std::string expected = "[Changed]\r\n" + SrcFile("index.htm") + "=NEW Entry\r\n" +
                         SrcFile("a/b/c/deep.gif") + "=NEW Entry\r\n" + SrcFile("a/b/c/empty.htm") +
                         "=NEW Entry\r\n";
  EXPECT_EQ(ReadFile(DestLog()), expected);
  EXPECT_EQ(ReadFile(UploadsLog()), expected);
  EXPECT_EQ(observer.statuses.back(), "Checking for Deleted Files...");
  EXPECT_NE(std::find(observer.statuses.begin(), observer.statuses.end(),
                      "Analysing >>> found 2 folders, containing 3 files."),
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
  Options noDate = testing::NewUserOptions();
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

TEST_F(ConversionRunTest, SkipListMatchesWholeNamesWithoutRegardToCase) {
  Put("Thumbs.db", "t");
  Put("sub/THUMBS.DB", "t");
  Put("star.txt", "s");
#ifndef _WIN32
  // Windows allows no "*" in a file name; there the entry can only miss.
  Put("*.txt", "literal star");
#endif
  Put("keep.htm", "k");
  RunResult result = Convert(testing::NewUserOptions(), {"thumbs.db", "*.txt", ""});
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
  Options noUploads = testing::NewUserOptions();
  noUploads.CreateUploadsDir = 0;
  Convert(noUploads);
  EXPECT_FALSE(Exists(up));
  EXPECT_TRUE(Exists(DestLog()));

  Put("a.htm", "changed", 5000);
  Options noReport = testing::NewUserOptions();
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
  const std::pair<const char*, const char*> keys[] = {
      {"a=b\r\nc", "a%3Db%0D%0Ac"}, {" a b\t", "%20a b%09"}, {"\t \t", "%09%20%09"},
      {"[a[b;", "%5Ba[b;"},         {" ;a", "%20%3Ba"},      {"my%20page.htm", "my%20page.htm"}};
  for (const auto& [path, key] : keys) EXPECT_EQ(LogKey(path), key) << path;
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

  Options reportOnly = testing::NewUserOptions();
  reportOnly.KillDeleted = 0;
  Convert(reportOnly);
  EXPECT_TRUE(Exists(gone));
  EXPECT_NE(ReadFile(DestLog()).find(gone + "=1"), std::string::npos);
  Convert(reportOnly);  // logged again on every run while it stays
  EXPECT_NE(ReadFile(DestLog()).find(gone + "=1"), std::string::npos);

  // Without the check for changes the run copies only: no sweep, no logs (the last run's goes),
  // nothing into the uploads folder, and the skip list is not applied either.
  Put("Thumbs.db", "t");
  Options checksOff = testing::NewUserOptions();
  checksOff.CheckForChanges = 0;
  EXPECT_EQ(Convert(checksOff, {"thumbs.db"}).copied, 2);
  EXPECT_TRUE(Exists(gone));
  EXPECT_FALSE(Exists(DestLog()));
  EXPECT_FALSE(Exists(testing::Join(up, "Thumbs.db")));

  Options deleteOnly = testing::NewUserOptions();
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
  MakeFolder(testing::Join(up, "web"));
  struct Case {
    std::string source, destination;
    RefusalKind kind;
  };
  const Case cases[] = {
      {src, src, RefusalKind::kSameFolders},
      {src, src + kSep, RefusalKind::kSameFolders},
#ifdef _WIN32
      {src, dir / "WEB", RefusalKind::kSameFolders},
#else
      // Where case counts these are two folders.
      {src, dir / "WEB", RefusalKind::kNone},
#endif
      {"", dst, RefusalKind::kEmptySource},
      {src, "  ", RefusalKind::kEmptyDestination},
      {dir / "nowhere", dst, RefusalKind::kSourceMissing},
      {src, testing::Join(src, "inner"), RefusalKind::kNested},
      {testing::Join(dst, "web"), dst, RefusalKind::kSourceMissing},
      {testing::Join(up, "web"), dst, RefusalKind::kNested},
      {up, dst, RefusalKind::kUploadsFolder},
      {src, dst + kSep, RefusalKind::kUploadsInsideDestination},
      {src, dst, RefusalKind::kNone},
      {src + kSep, dst, RefusalKind::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConversionRun::CheckFolders(c.source, c.destination).kind, c.kind)
        << c.source << " -> " << c.destination;
#ifndef _WIN32
  MakeFolder(dir / "WEB");  // and whether the second exists or not
  EXPECT_FALSE(ConversionRun::CheckFolders(src, dir / "WEB"));
#endif

  Put("a.htm", "a");
  ConversionRun run(testing::NewUserOptions(), {});
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
  Put("_private/docs/readme.htm", "r");
  // An FTP web holds the web's "_vti_inf.html" and the clean sub-folders of "_private" after its
  // first run, and may keep what pages use of "_borders": it stays a destination.
  ASSERT_TRUE(Convert().Finished());
  MakeFolder(testing::Join(dst, "_borders"));
  EXPECT_FALSE(ConversionRun::CheckFolders(src, dst));
  ASSERT_TRUE(Convert().Finished());
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
  ConversionRun run(testing::NewUserOptions(), {});
  EXPECT_EQ(run.Run(src, other).refusal.kind, RefusalKind::kDestinationIsWeb);
  EXPECT_EQ(run.Run(dir / "Lone-Uploads", up).refusal.kind, RefusalKind::kUploadsFolder);
  EXPECT_EQ(ReadFile(testing::Join(other, "_vti_pvt/service.cnf")), "cnf");
  EXPECT_TRUE(Exists(testing::Join(other, "page.htm")));
  EXPECT_FALSE(Exists(other + "-Uploads"));
  EXPECT_EQ(ReadFile(UploadsLog()), log);
}

TEST_F(ConversionRunTest, OnlyAnFtpWebsUploadsFolderIsRefusedAsOne) {
  // A FrontPage web whose name ends in "-Uploads" beside an unrelated folder is a web.
  const std::string summer = dir / "Summer", web = dir / "Summer-Uploads";
  MakeFolder(summer);
  WriteFile(testing::Join(web, "_vti_pvt/service.cnf"), "cnf");
  WriteFile(testing::Join(web, "index.htm"), "i");
  EXPECT_EQ(ConversionRun::CheckFolders(web, dir / "Summer-FTP").kind, RefusalKind::kNone);
  // Where a change log tells of an FTP web beside it or in it, it stays refused.
  for (const std::string& log :
       {testing::Join(summer, "changes.ini"), testing::Join(web, "changes.ini")}) {
    WriteFile(log, "[Changed]\r\n");
    EXPECT_EQ(ConversionRun::CheckFolders(web, dir / "Summer-FTP").kind,
              RefusalKind::kUploadsFolder)
        << log;
    std::filesystem::remove(PathFromText(log));
  }
  // An uploads folder that is no FrontPage web needs no log to be one.
  MakeFolder(dir / "Plain-Uploads");
  MakeFolder(dir / "Plain");
  EXPECT_EQ(ConversionRun::CheckFolders(dir / "Plain-Uploads", dst).kind,
            RefusalKind::kUploadsFolder);
}

TEST_F(ConversionRunTest, TheRootAsDestinationIsRefusedAsHoldingTheWeb) {
  const std::string root = std::filesystem::path(PathFromText(src)).root_path().string();
  const Refusal refusal = ConversionRun::CheckFolders(src, root);
  EXPECT_EQ(refusal.kind, RefusalKind::kNested) << refusal.message;
  EXPECT_NE(refusal.message.find("lies inside the destination"), std::string::npos);
}

TEST_F(ConversionRunTest, ABusyRefusalTakesAwayOnlyTheEmptyFolderItMade) {
  Put("a.htm", "a");
  MakeFolder(up);
  FolderLock held;
  ASSERT_EQ(SystemFileSystem().LockFolder(up, held, nullptr), LockOutcome::kTaken);
  ConversionRun run(testing::NewUserOptions(), {});
  EXPECT_EQ(run.Run(src, dst).refusal.kind, RefusalKind::kBusy);
  EXPECT_FALSE(Exists(dst));
  EXPECT_TRUE(Exists(up));
  MakeFolder(dst);  // the user's own
  EXPECT_EQ(run.Run(src, dst).refusal.kind, RefusalKind::kBusy);
  EXPECT_TRUE(Exists(dst));
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
  ConversionRun run(testing::NewUserOptions(), {}, &probe);
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
    ConversionRun run(testing::NewUserOptions(), {}, nullptr, failing);
    RunResult result = run.Run(src, dst);
    EXPECT_EQ(result.refusal.kind, c.kind) << testing::FsOpName(c.op) << " " << c.path;
    EXPECT_FALSE(result.refusal.message.empty());
    EXPECT_FALSE(Exists(testing::Join(dst, "b.htm")));
    EXPECT_EQ(ReadFile(UploadsLog()), log);
  }
}

// A folder that is there but cannot be opened might hold anything: a destination in it is not
// taken for one that does not exist yet.
TEST_F(ConversionRunTest, ADestinationInAFolderThatCannotBeOpenedIsUncheckable) {
  MakeFolder(dir / "Held");
  testing::FailingFileSystem failing;
  failing.FailWhen(testing::FsOp::kOpenFolder, dir / "Held");
  EXPECT_EQ(ConversionRun::CheckFolders(src, dir / "Held/Web-FTP", failing).kind,
            RefusalKind::kUncheckable);
  EXPECT_EQ(ConversionRun::CheckFolders(src, dir / "None/Web-FTP", failing).kind,
            RefusalKind::kDestinationParentMissing);
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
    ConversionRun run(testing::NewUserOptions(), {}, &observer);
    RunResult result = run.Run(src, dst);
    EXPECT_EQ(result.deleted, c.deleted);
    ASSERT_FALSE(result.failures.empty());
    EXPECT_EQ(result.failures.back().operation, "check");
    EXPECT_EQ(result.failures.back().path, src);
    for (int i = 0; i < 20; ++i)
      EXPECT_TRUE(Exists(testing::Join(dst, "d/f" + std::to_string(i) + ".htm")));
    EXPECT_TRUE(Exists(testing::Join(dst, "index.htm")));
    const std::string latest = Exists(DestLog()) ? ReadFile(DestLog()) : "";
    EXPECT_EQ(latest.find(testing::Join(dst, "d")), std::string::npos);
    if (Exists(away)) {
      std::filesystem::remove_all(src);
      std::filesystem::rename(away, src);
    }
    EXPECT_EQ(Exists(testing::Join(dst, "gone.htm")), c.deleted == 0);
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
  ConversionRun run(testing::NewUserOptions(), {}, nullptr, failing);
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
  ConversionRun run(testing::NewUserOptions(), {});
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

TEST_F(ConversionRunTest, FolderThatCannotBeCreatedIsReportedNotForEachFile) {
  Put("sub/changes.ini/a.htm", "a");
  Put("sub/changes.ini/b.htm", "b");
  Put("sub/changes.ini/deeper/d.htm", "d");
  Put("c.htm", "c");
  // A change log where the web now has a folder: logs are never deleted, so no folder.
  WriteFile(testing::Join(dst, "sub/changes.ini"), "[Changed]\r\n");
  RunResult result = Convert();
  // Once for each folder of the web that would lie in it, not for each file.
  ASSERT_EQ(result.failures.size(), 2u);
  for (const RunFailure& failure : result.failures) {
    EXPECT_EQ(failure.operation, "create folder");
    EXPECT_EQ(failure.path, testing::Join(dst, "sub/changes.ini"));
  }
  EXPECT_EQ(result.copied, 1);
  EXPECT_EQ(ReadFile(testing::Join(dst, "sub/changes.ini")), "[Changed]\r\n");

  // A page of the last run where the web now has a folder: when it cannot make way, or the
  // folder cannot be made after it has, that is still one failure.
  Put("page/in.htm", "in");
  WriteFile(testing::Join(dst, "page"), "old page");
  const std::tuple<testing::FsOp, const char*, std::size_t> faults[] = {
      {testing::FsOp::kDeleteFile, "delete", 4},
      {testing::FsOp::kCreateFolder, "create folder", 3}};
  for (const auto& [op, operation, count] : faults) {
    testing::FailingFileSystem failing;
    failing.FailWhen(op, testing::Join(dst, "page"));
    result = ConversionRun(testing::NewUserOptions(), {}, nullptr, failing).Run(src, dst);
    // The page's folder, the log's two above, and the sweep's try at the page still there.
    ASSERT_EQ(result.failures.size(), count);
    EXPECT_EQ(result.failures[0].operation, operation);
    EXPECT_EQ(result.failures[0].path, testing::Join(dst, "page"));
  }

  // A destination that is a file is kept, and the run is refused before it scans.
  WriteFile(dir / "file-ftp", "mine");
  result = ConversionRun(testing::NewUserOptions(), {}).Run(src, dir / "file-ftp");
  EXPECT_EQ(result.refusal.kind, RefusalKind::kUnwritable);
  EXPECT_EQ(ReadFile(dir / "file-ftp"), "mine");
}

// Removes the sources of copies just before they are made, after their look-up.
class VanishingCopies : public testing::FailingFileSystem {
 public:
  bool Allow(testing::FsOp op, const std::string& from, const std::string& to,
             std::string* error) override {
    if (op == testing::FsOp::kCopyFile)
      for (const std::string& name : vanishing)
        if (from.ends_with(name)) std::filesystem::remove(PathFromText(from));
    return FailingFileSystem::Allow(op, from, to, error);
  }
  std::vector<std::string> vanishing;
};

TEST_F(ConversionRunTest, SourceThatVanishesBeforeItsCopyIsNeitherCopiedNorReported) {
  Put("old.htm", "o");
  Put("kept.htm", "k");
  Convert();
  Put("new.htm", "n");
  VanishingCopies fs;
  fs.vanishing = {"old.htm", "new.htm"};  // unchanged, and new with its uploads copy first
  RunResult result = ConversionRun(testing::NewUserOptions(), {}, nullptr, fs).Run(src, dst);
  EXPECT_TRUE(result.failures.empty())
      << result.failures[0].operation << " " << result.failures[0].path;
  EXPECT_EQ(result.copied, 1);
  EXPECT_EQ(result.reported, 0);
  EXPECT_EQ(ReadFile(DestLog()).find("new.htm"), std::string::npos);
  EXPECT_FALSE(Exists(testing::Join(up, "new.htm")));
}

// ---- the FTP web's copies are the program's own ------------------------------------------

TEST_F(ConversionRunTest, CopiesAreNeverWrittenThroughLinksAndStayWritable) {
  namespace fs = std::filesystem;
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
  Put("kept.htm", "kept", 1000);
  Put("renamed.htm", "first", 1000);
  Put("ro.htm", "read-only", 1000);
  fs::permissions(PathFromText(SrcFile("ro.htm")), readOnly);
  // A mirror seeded as "cp -al" seeds it: the FTP web's files are hard links of the web's.
  MakeFolder(dst);
  for (const char* name : {"kept.htm", "renamed.htm"})
    fs::create_hard_link(PathFromText(SrcFile(name)), PathFromText(testing::Join(dst, name)));
#ifndef _WIN32
  // And a copy that someone replaced by a symbolic link into the web.
  Put("linked.htm", "linked", 1000);
  fs::create_symlink(PathFromText(SrcFile("kept.htm")),
                     PathFromText(testing::Join(dst, "linked.htm")));
#endif
  // A copy that an earlier version left read-only, after its read-only source.
  WriteFile(testing::Join(dst, "ro.htm"), "old");
  fs::permissions(PathFromText(testing::Join(dst, "ro.htm")), readOnly);
  // Then a page is renamed in the web, and a new one takes its name.
  fs::rename(PathFromText(SrcFile("renamed.htm")), PathFromText(SrcFile("moved.htm")));
  Put("renamed.htm", "second, longer", 2000);

  RunResult result = Convert();
  ASSERT_TRUE(result.failures.empty())
      << result.failures[0].path << ": " << result.failures[0].reason;
  EXPECT_EQ(ReadFile(SrcFile("moved.htm")), "first");  // not written through the link
  EXPECT_EQ(ReadFile(testing::Join(dst, "renamed.htm")), "second, longer");
  EXPECT_EQ(ReadFile(testing::Join(dst, "kept.htm")), "kept");
  EXPECT_EQ(ReadFile(testing::Join(dst, "ro.htm")), "read-only");
#ifndef _WIN32
  EXPECT_EQ(fs::hard_link_count(PathFromText(SrcFile("kept.htm"))), 1u);
  EXPECT_FALSE(fs::is_symlink(PathFromText(testing::Join(dst, "linked.htm"))));
  EXPECT_EQ(ReadFile(testing::Join(dst, "linked.htm")), "linked");
#endif

  // The copies of a read-only page stay writable, so its next change reaches both folders.
  for (const std::string& folder : {dst, up}) {
    fs::perms perms = fs::status(PathFromText(testing::Join(folder, "ro.htm"))).permissions();
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none) << folder;
  }
  fs::permissions(PathFromText(SrcFile("ro.htm")), fs::perms::owner_write, fs::perm_options::add);
  Put("ro.htm", "read-only, changed", 3000);
  fs::permissions(PathFromText(SrcFile("ro.htm")), readOnly);
  result = Convert();
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(result.reported, 1);
  EXPECT_EQ(ReadFile(testing::Join(dst, "ro.htm")), "read-only, changed");
  EXPECT_EQ(ReadFile(testing::Join(up, "ro.htm")), "read-only, changed");
  fs::permissions(PathFromText(SrcFile("ro.htm")), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(ConversionRunTest, AFileAndAFolderThatSwapNamesAreGotPast) {
  Put("x", "page x");
  Put("y/in.htm", "in y");
  Put("y/deep/d.htm", "deep");
  Convert();
  std::filesystem::remove(PathFromText(SrcFile("x")));
  std::filesystem::remove_all(PathFromText(SrcFile("y")));
  Put("x/new.htm", "in x");
  Put("y", "page y");

  RunResult swapped = Convert();
  // The FTP web's copies make way, logged as deleted like the sweep logs them.
  EXPECT_EQ(ReadFile(testing::Join(dst, "x/new.htm")), "in x");
  EXPECT_EQ(ReadFile(testing::Join(dst, "y")), "page y");
  EXPECT_EQ(swapped.deleted, 3);
  const std::string latest = ReadFile(DestLog());
  for (const char* gone : {"x=6", "y/in.htm=4", "y/deep/d.htm=4"})
    EXPECT_NE(latest.find(testing::Join(dst, gone)), std::string::npos) << gone;
  // What changed comes first, though a folder made way before the first change was logged.
  EXPECT_NE(latest.find("[Deleted]"), std::string::npos);
  EXPECT_LT(latest.find("[Changed]"), latest.find("[Deleted]")) << latest;
  // The uploads folder keeps what earlier runs put there; both changes are still logged, and
  // named once as failures.
  EXPECT_EQ(ReadFile(testing::Join(up, "x")), "page x");
  EXPECT_EQ(ReadFile(testing::Join(up, "y/in.htm")), "in y");
  for (const char* page : {"x/new.htm", "y"})
    EXPECT_NE(ReadFile(UploadsLog()).find(SrcFile(page) + "=NEW Entry"), std::string::npos);
  ASSERT_EQ(swapped.failures.size(), 2u);
  EXPECT_EQ(swapped.failures[0].path, testing::Join(up, "y"));
  EXPECT_EQ(swapped.failures[1].path, testing::Join(up, "x/new.htm"));

  RunResult next = Convert();
  EXPECT_TRUE(next.failures.empty());
  EXPECT_EQ(next.reported + next.deletedFound, 0);

#ifndef _WIN32
  std::string error;  // a file deletion never takes a folder, and says why
  EXPECT_FALSE(SystemFileSystem().DeleteFile(testing::Join(dst, "x"), &error));
  EXPECT_EQ(error, "is a folder");
  // A folder that holds what no listing shows, here a pipe, cannot make way: said, not hidden.
  Put("z/f.htm", "f");
  Convert();
  ASSERT_EQ(::mkfifo(testing::Join(dst, "z/pipe").c_str(), 0600), 0);
  std::filesystem::remove_all(PathFromText(SrcFile("z")));
  Put("z", "page z");
  bool folderFailed = false;
  for (const RunFailure& failure : Convert().failures)
    folderFailed |= failure.operation == "delete" && failure.path == testing::Join(dst, "z");
  EXPECT_TRUE(folderFailed);
  EXPECT_TRUE(std::filesystem::is_fifo(PathFromText(testing::Join(dst, "z/pipe"))));
#endif
}

TEST_F(ConversionRunTest, TheWebsOwnChangesIniAndNamesLikeTheProgramsTemporaryOnes) {
  Put("changes.ini", "[Web]\r\nmine=1\r\n");
  const std::string prefix = ReplaceTempPrefix("changes.ini");
  const std::string lookAlikes[] = {prefix + "123", prefix + "-notes"};
  for (const std::string& name : lookAlikes) Put(name, "the web's");
  Put("page.htm", "p");
  RunResult first = Convert();
  EXPECT_EQ(first.entries, 3);
  EXPECT_EQ(first.reported, 3);
  ASSERT_EQ(first.notices.size(), 1u);
  EXPECT_NE(first.notices[0].find(SrcFile("changes.ini")), std::string::npos);
  EXPECT_EQ(ReadFile(DestLog()).find("mine"), std::string::npos);
  EXPECT_EQ(ReadFile(UploadsLog()).find("mine"), std::string::npos);

  // Leftovers of the program's own beside the logs are cleared; the web's files are not.
  for (const std::string& folder : {dst, up}) WriteFile(testing::Join(folder, prefix + "9"), "x");
  RunResult second = Convert();
  EXPECT_EQ(second.reported, 0);
  EXPECT_EQ(second.notices.size(), 1u);
  EXPECT_FALSE(Exists(DestLog()));
  for (const std::string& folder : {dst, up}) {
    EXPECT_FALSE(Exists(testing::Join(folder, prefix + "9")));
    for (const std::string& name : lookAlikes)
      EXPECT_EQ(ReadFile(testing::Join(folder, name)), "the web's") << folder << " " << name;
  }
}

TEST_F(ConversionRunTest, AFolderNamedLikeTheChangeLogAtTheWebsTopIsLeftOut) {
  Put("changes.ini/notes.htm", "n");
  Put("page.htm", "p");
  Put("sub/changes.ini/deep.htm", "d");  // below the top it stands in no log's place
  for (int round = 0; round < 2; ++round) {
    RunResult run = Convert();
    EXPECT_TRUE(run.failures.empty()) << run.failures[0].path << ": " << run.failures[0].reason;
    ASSERT_EQ(run.notices.size(), 1u) << "round " << round;
    EXPECT_NE(run.notices[0].find(SrcFile("changes.ini")), std::string::npos);
    EXPECT_EQ(run.entries, 2);
  }
  EXPECT_EQ(ReadFile(testing::Join(dst, "page.htm")), "p");
  EXPECT_EQ(ReadFile(testing::Join(up, "sub/changes.ini/deep.htm")), "d");
  EXPECT_FALSE(Exists(testing::Join(dst, "changes.ini/notes.htm")));
  EXPECT_NE(ReadFile(UploadsLog()).find(SrcFile("page.htm") + "=NEW Entry"), std::string::npos);
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
