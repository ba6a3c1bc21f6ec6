// Every single file-system operation the engine and the profile files use, made to fail on
// purpose: the run must go on, say what failed, keep the change logs whole and lose no change.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/conversion_run.h"
#include "engine/source_memory.h"
#include "rules/file_compare.h"
#include "settings/settings_store.h"
#include "support/failing_file_system.h"
#include "support/new_user_options.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::FailingFileSystem;
using testing::FsOp;
using testing::Join;
using testing::ReadFile;
using testing::SetWriteTime;
using testing::TempDir;
using testing::WriteFile;

class LastStatus : public RunObserver {
 public:
  void StatusChanged(const std::string& text) override {
    if (text.rfind("Copying", 0) == 0) lastCopying = text;
  }
  std::string lastCopying;
};

// One fault: which operation fails, on which paths (relative to the test folder), and what
// the run must then report.
struct Fault {
  const char* name;
  FsOp op;
  const char* pathPart;
  const char* expectedOperation;  // of the run failure; nullptr when the run copes unharmed
};

std::ostream& operator<<(std::ostream& out, const Fault& fault) { return out << fault.name; }

// The web: an edit of content, an edit of time only, a new file in a new folder and a removed
// file, after a first complete run.
class FaultTest : public ::testing::TestWithParam<Fault> {
 protected:
  FaultTest() : src(dir / "Web"), dst(dir / "Web-FTP"), up(dir / "Web-FTP-Uploads") {
    Put("index.htm", "home", 1000);
    Put("about.htm", "about", 1000);
    Put("images/logo.gif", "logo", 1000);
    Put("images/icons/a.gif", "a", 1000);
    Put("docs/old.htm", "old", 1000);
    Put("docs/keep.htm", "keep", 1000);
    Put("_vti_cnf/index.htm", "meta", 1000);
  }

  void Put(const std::string& relative, const std::string& content, std::int64_t time) {
    WriteFile(Join(src, relative), content);
    SetWriteTime(Join(src, relative), time);
  }

  RunResult Convert(FileSystem& fs) {
    ConversionRun run(testing::NewUserOptions(), {}, &observer, fs);
    return run.Run(src, dst);
  }

  void Edit() {
    Put("index.htm", "home, longer now", 2000);        // size and date
    SetWriteTime(Join(src, "images/logo.gif"), 2000);  // date only
    Put("news/new.htm", "news", 2000);
    std::filesystem::remove(Join(src, "docs/old.htm"));
  }

  std::string Src(const std::string& relative) const { return Join(src, relative); }

  // The expected finding of each edited file in the accumulated log.
  std::map<std::string, std::string> Findings() const {
    return {{LogKey(Src("index.htm")), "Size Changed"},
            {LogKey(Src("images/logo.gif")), "Date Changed"},
            {LogKey(Src("news/new.htm")), "NEW Entry"}};
  }

  // What must hold after any run, failed operations or not.
  void ExpectLogsWholeAndNoChangeLost() {
    for (const std::string& log : {Join(dst, "changes.ini"), Join(up, "changes.ini")})
      EXPECT_EQ(testing::ReadStrictProfile(log).problem, "") << log;
    EXPECT_TRUE(testing::LeftoverTempFiles(dst).empty());
    EXPECT_TRUE(testing::LeftoverTempFiles(up).empty());
    testing::StrictProfile uploadsLog = testing::ReadStrictProfile(Join(up, "changes.ini"));
    // An FTP web copy that is up to date was logged, and mirrored, first.
    const std::map<std::string, std::string> findings = Findings();
    for (const auto& [relative, content] : testing::ExpectedFtpWeb(src)) {
      std::string key = LowerCase(LogKey(Src(relative)));
      auto finding = findings.find(LogKey(Src(relative)));
      if (finding == findings.end()) continue;
      if (!Exists(Join(dst, relative)) || ReadFile(Join(dst, relative)) != content ||
          testing::WriteTimeOf(Join(dst, relative)) != testing::WriteTimeOf(Src(relative)))
        continue;
      EXPECT_EQ(uploadsLog.Value("changed", key), finding->second) << relative;
      EXPECT_EQ(ReadFile(Join(up, relative)), content) << relative;
    }
    // A file gone from the FTP web was logged as deleted first.
    if (!Exists(Join(dst, "docs/old.htm"))) {
      EXPECT_EQ(uploadsLog.Value("deleted", LowerCase(LogKey(Join(dst, "docs/old.htm")))), "3");
    }
    // The first run's keys are still there.
    for (const char* relative : {"about.htm", "docs/keep.htm", "images/icons/a.gif"})
      EXPECT_EQ(uploadsLog.Value("changed", LowerCase(LogKey(Src(relative)))), "NEW Entry")
          << relative;
  }

  // After a clean run everything is in place: the FTP web follows the source, every change
  // is mirrored and logged.
  void ExpectComplete() {
    std::map<std::string, std::string> ftpWeb = testing::TreeContents(dst);
    ftpWeb.erase("changes.ini");
    EXPECT_EQ(ftpWeb, testing::ExpectedFtpWeb(src));
    testing::StrictProfile uploadsLog = testing::ReadStrictProfile(Join(up, "changes.ini"));
    for (const auto& [key, value] : Findings())
      EXPECT_EQ(uploadsLog.Value("changed", LowerCase(key)), value) << key;
    EXPECT_EQ(uploadsLog.Value("deleted", LowerCase(LogKey(Join(dst, "docs/old.htm")))), "3");
    EXPECT_EQ(ReadFile(Join(up, "news/new.htm")), "news");
    EXPECT_EQ(ReadFile(Join(up, "index.htm")), "home, longer now");
  }

  TempDir dir;
  std::string src, dst, up;
  LastStatus observer;
};

TEST_P(FaultTest, RunGoesOnReportsTheFailureAndLosesNothing) {
  const Fault& fault = GetParam();
  ASSERT_TRUE(Convert(SystemFileSystem()).failures.empty());
  Edit();

  FailingFileSystem failing;
  failing.FailWhen(fault.op, *fault.pathPart != 0 ? dir / fault.pathPart : src);
  RunResult result = Convert(failing);

  ASSERT_GT(failing.Failed(fault.op), 0) << "the fault never struck";
  std::set<std::string> operations;
  for (const RunFailure& failure : result.failures) {
    EXPECT_FALSE(failure.reason.empty());
    operations.insert(failure.operation);
  }
  if (fault.expectedOperation == nullptr) {
    EXPECT_TRUE(operations.empty());
  } else {
    EXPECT_EQ(operations.count(fault.expectedOperation), 1u) << "no failure of the kind expected";
  }
  // The latest-run log describes this run alone, even when the last one's could not go.
  EXPECT_EQ(testing::ReadStrictProfile(Join(dst, "changes.ini"))
                .Value("changed", LowerCase(LogKey(Src("about.htm")))),
            "");
  // Every entry of the work list was visited.
  if (fault.op != FsOp::kReadFolder) EXPECT_EQ(result.entries, 6);
  if (result.entries > 0) {
    const std::string n = std::to_string(result.entries);
    EXPECT_EQ(observer.lastCopying, "Copying >>> " + n + " of " + n + " files.");
  }
  EXPECT_EQ(ReadFile(Join(dst, "about.htm")), "about");
  ExpectLogsWholeAndNoChangeLost();

  RunResult clean = Convert(SystemFileSystem());
  EXPECT_TRUE(clean.failures.empty());
  ExpectComplete();
}

// Paths are relative to the test folder: Web is the source, Web-FTP the FTP web,
// Web-FTP-Uploads the uploads folder; "" is the source root.
INSTANTIATE_TEST_SUITE_P(
    EveryOperation, FaultTest,
    ::testing::Values(
        Fault{"SourceRootEnumeration", FsOp::kReadFolder, "", "read folder"},
        Fault{"SourceFolderEnumeration", FsOp::kReadFolder, "Web/images", "read folder"},
        Fault{"FtpWebFolderEnumeration", FsOp::kReadFolder, "Web-FTP/docs", "read folder"},
        Fault{"SourceFileLookUp", FsOp::kLookUp, "Web/index.htm", "copy"},
        Fault{"SweptFileCounterpartLookUp", FsOp::kLookUp, "Web/docs/old.htm", "check"},
        Fault{"FtpWebFolderCreation", FsOp::kCreateFolder, "Web-FTP/news", "create folder"},
        Fault{"UploadsFolderCreation", FsOp::kCreateFolder, "Web-FTP-Uploads/images",
              "create folder"},
        Fault{"UploadsCopy", FsOp::kCopyFile, "Web-FTP-Uploads/index.htm", "copy"},
        Fault{"FtpWebCopy", FsOp::kCopyFile, "Web-FTP/index.htm", "copy"},
        Fault{"SweepDeletion", FsOp::kDeleteFile, "Web-FTP/docs/old.htm", "delete"},
        Fault{"LatestLogDeletion", FsOp::kDeleteFile, "Web-FTP/changes.ini", "delete"},
        Fault{"LatestLogRewrite", FsOp::kReplaceFile, "Web-FTP/changes.ini", "write log"},
        Fault{"AccumulatedLogRewrite", FsOp::kReplaceFile, "Web-FTP-Uploads/changes.ini",
              "write log"},
        Fault{"AccumulatedLogAppend", FsOp::kAppendToFile, "Web-FTP-Uploads/changes.ini",
              "write log"},
        Fault{"LatestLogAppend", FsOp::kAppendToFile, "Web-FTP/changes.ini", "write log"},
        Fault{"AccumulatedLogRead", FsOp::kReadTextFile, "Web-FTP-Uploads/changes.ini",
              "write log"},
        Fault{"AccumulatedLogLookUp", FsOp::kLookUp, "Web-FTP-Uploads/changes.ini", nullptr}),
    [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

// ---- settings.db ---------------------------------------------------------------------------

TEST(SettingsFaultTest, FailedRewriteLeavesTheFileAsItWas) {
  TempDir dir;
  const std::string file = dir / "settings.db";
  Options options = testing::NewUserOptions();
  options.FTPPath = "/usr/bin/ftp";
  ASSERT_TRUE(SaveOptions(file, options));
  SourceMemory(file).RememberConversion("/webs/a", "/webs/a-FTP");
  SourceMemory(file).RememberConversion("/webs/b", "/webs/b-FTP");
  const std::string before = ReadFile(file);
  for (FsOp op : {FsOp::kReplaceFile, FsOp::kAppendToFile, FsOp::kReadTextFile}) {
    WriteFile(file, before);
    FailingFileSystem failing;
    failing.FailWhen(op, "settings.db");
    Options changed = testing::NewUserOptions();
    changed.CompareDate = 0;
    SourceMemory memory(file, failing);
    bool saved = SaveOptions(file, changed, failing);
    memory.RememberConversion("/webs/c", "/webs/c-FTP");
    if (failing.Failed(op) == 0) continue;  // this operation is not used by these writes
    EXPECT_FALSE(saved && op == FsOp::kReplaceFile) << testing::FsOpName(op);
    // An unreadable file is not an empty one: nothing of it may be replaced.
    EXPECT_EQ(ReadFile(file), before) << testing::FsOpName(op);
    EXPECT_TRUE(testing::LeftoverTempFiles(dir.path()).empty());
  }
}

}  // namespace
}  // namespace tarnwick
