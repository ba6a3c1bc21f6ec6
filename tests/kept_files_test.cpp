// The option that keeps what pages use in _borders, _overlay and _fpclass, across runs.
#include <gtest/gtest.h>

#include "check/site_check.h"
#include "engine/conversion_run.h"
#include "settings/settings_store.h"
#include "support/failing_file_system.h"
#include "support/new_user_options.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

const char* const kPage =
    "<body background=\"_borders/bg.gif\">\n<img src=\"_overlay/b.gif\">\n"
    "<img src=\"_private/secret.gif\"><img src=\"_vti_cnf/meta.gif\">\n"
    "<applet code=\"fphover.class\" codebase=\"_fpclass/\"></applet>\n";

class KeptFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"_borders/bg.gif", "_borders/unused.gif", "_overlay/b.gif",
                             "_private/secret.gif", "_vti_cnf/meta.gif", "_fpclass/fphover.class"})
      WriteFile(dir / ("web/" + std::string(file)), file);
    WriteFile(dir / "web/index.htm", kPage);
    keep.KeepUsedFiles = 1;
  }

  RunResult Convert(const Options& options, FileSystem& fs = SystemFileSystem()) {
    ConversionRun run(options, {}, nullptr, fs);
    run.SetKeptFilesProvider(KeptFilesFromPages(options, {}, nullptr, fs));
    RunResult result = run.Run(dir / "web", dir / "ftp");
    workList = run.WorkList;
    return result;
  }

  bool InFtp(const std::string& relative) const { return Exists(dir / ("ftp/" + relative)); }

  TempDir dir;
  Options keep = testing::NewUserOptions();
  std::vector<std::string> workList;
};

TEST_F(KeptFilesTest, UsedFilesComeAlongAndGoWhenNoPageUsesThem) {
  // The three files pages use, with the usual detection, uploads and log lines; never
  // anything of _private or a _vti folder, nor what no page uses.
  RunResult on = Convert(keep);
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(workList,
            (std::vector<std::string>{"^index.htm", sep + "_borders^bg.gif",
                                      sep + "_fpclass^fphover.class", sep + "_overlay^b.gif"}));
  EXPECT_EQ(on.reported, 4);
  for (const char* file : {"_borders/bg.gif", "_overlay/b.gif", "_fpclass/fphover.class"}) {
    EXPECT_EQ(ReadFile(dir / ("ftp/" + std::string(file))), file);
    EXPECT_TRUE(Exists(dir / ("ftp-Uploads/" + std::string(file)))) << file;
  }
  EXPECT_NE(ReadFile(dir / "ftp/changes.ini").find("_overlay"), std::string::npos);

  // The page no longer uses the overlay: it is swept and logged like a deleted file, while
  // its source stays.
  WriteFile(dir / "web/index.htm", "<body background=\"_borders/bg.gif\">");
  RunResult later = Convert(keep);
  EXPECT_EQ(later.deleted, 2);  // the overlay button and the applet's class
  EXPECT_FALSE(InFtp("_overlay/b.gif"));
  EXPECT_FALSE(InFtp("_fpclass/fphover.class"));
  EXPECT_TRUE(Exists(dir / "web/_overlay/b.gif"));
  const std::string log = ReadFile(dir / "ftp/changes.ini");
  EXPECT_NE(log.find("[Deleted]"), std::string::npos);
  EXPECT_NE(log.find("b.gif=14"), std::string::npos) << log;

  // Off again: what an earlier run kept stays, as files whose source is there always did.
  RunResult offAgain = Convert(testing::NewUserOptions());
  EXPECT_EQ(offAgain.deleted, 0);
  EXPECT_TRUE(InFtp("_borders/bg.gif"));
}

TEST_F(KeptFilesTest, NothingIsSweptOnAGuessWhenAPageCannotBeRead) {
  Convert(keep);
  ASSERT_TRUE(InFtp("_overlay/b.gif"));
  testing::FailingFileSystem failing;
  failing.FailWhen(testing::FsOp::kReadTextFile, "index.htm");
  RunResult result = Convert(keep, failing);
  EXPECT_EQ(result.deleted, 0);
  EXPECT_TRUE(InFtp("_overlay/b.gif"));
  EXPECT_TRUE(InFtp("_borders/bg.gif"));
}

}  // namespace
}  // namespace tarnwick
