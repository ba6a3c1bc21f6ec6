#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/source_memory.h"
#include "platform/program_folder.h"
#include "support/failing_file_system.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

const Options kDefaults{.CheckForChanges = 1,
                        .CompareDate = 1,
                        .CompareSize = 1,
                        .CreateUploadsDir = 1,
                        .FTPPath = "",
                        .KillDeleted = 1,
                        .KillExtra = 1,
                        .LaunchFTP = 0,
                        .ReportChanges = 1,
                        .ReportDeleted = 1};

TEST(SettingsStore, SaveWritesTheKeysInOrder) {
  TempDir dir;
  Options o = kDefaults;
  o.CompareDate = 0;
  o.CompareSize = 2;  // greyed
  o.FTPPath = "/usr/bin/ftp client";
  o.KillDeleted = 0;
  o.LaunchFTP = 1;
  o.ReportChanges = 0;
  o.KeepUsedFiles = 1;
  ASSERT_TRUE(SaveOptions(dir / "settings.db", o));
  EXPECT_EQ(ReadFile(dir / "settings.db"),
            "[Main]\r\nCheckForChanges=1\r\nCompareDate=0\r\nCompareSize=2\r\n"
            "CreateUploadsDir=1\r\nFTPPath=/usr/bin/ftp client\r\nKillDeleted=0\r\n"
            "KillExtra=1\r\nLaunchFTP=1\r\nReportChanges=0\r\nReportDeleted=1\r\n"
            "KeepUsedFiles=1\r\n");
  EXPECT_EQ(LoadOptions(dir / "settings.db").options, o);

  // A path with a line break would turn into other keys; it is refused, the rest is saved.
  Options broken = kDefaults;
  broken.FTPPath = "/bin/ftp\r\nLaunchFTP=1";
  EXPECT_FALSE(SaveOptions(dir / "settings.db", broken));
  EXPECT_EQ(LoadOptions(dir / "settings.db").options.LaunchFTP, 0);

  // Paths longer than the old 254-character buffer come back whole.
  Options longPath = kDefaults;
  longPath.FTPPath = "/opt/" + std::string(300, 'f');
  ASSERT_TRUE(SaveOptions(dir / "settings.db", longPath));
  EXPECT_EQ(LoadOptions(dir / "settings.db").options, longPath);
}

TEST(SettingsStore, DamagedValuesTakeTheirDefaultAndLoadingGoesOn) {
  TempDir dir;
  WriteFile(dir / "settings.db",
            "[Main]\r\nCheckForChanges=0\r\nCompareDate=\r\nCompareSize=yes\r\n"
            "CreateUploadsDir=0\r\nFTPPath=/opt/ftp\r\nKillDeleted=3\r\nKillExtra=-1\r\n"
            "LaunchFTP=1x\r\nReportChanges=0\r\nReportDeleted=0\r\n");
  LoadedOptions loaded = LoadOptions(dir / "settings.db");
  Options expected = kDefaults;
  expected.CheckForChanges = 0;
  expected.CreateUploadsDir = 0;
  expected.FTPPath = "/opt/ftp";
  expected.ReportChanges = 0;
  expected.ReportDeleted = 0;
  EXPECT_EQ(loaded.options, expected);
  EXPECT_EQ(loaded.damagedKeys,
            (std::vector<std::string>{"CompareDate", "CompareSize", "KillDeleted", "KillExtra",
                                      "LaunchFTP"}));
}

TEST(SettingsStore, MissingGivesDefaultsMarkIsSkippedAndAFileThatCannotBeReadIsNamed) {
  TempDir dir;
  LoadedOptions missing = LoadOptions(SettingsFilePath(dir.path()));
  EXPECT_EQ(SettingsFilePath(dir.path()), dir / "settings.db");
  EXPECT_EQ(missing.options, kDefaults);
  EXPECT_TRUE(missing.damagedKeys.empty());
  EXPECT_EQ(missing.problem, "");
  EXPECT_FALSE(Exists(dir / "settings.db"));  // nothing written
  // Defaults in place of KillDeleted=0 would delete what the user keeps in the FTP web.
  WriteFile(dir / "settings.db", "\xEF\xBB\xBF[Main]\nKillDeleted=0\n");
  LoadedOptions marked = LoadOptions(dir / "settings.db");
  EXPECT_EQ(marked.options.KillDeleted, 0);
  EXPECT_EQ(marked.problem, "");
  testing::MakeFolder(dir / "folder/settings.db");
  EXPECT_NE(LoadOptions(dir / "folder/settings.db").problem.find(dir / "folder/settings.db"),
            std::string::npos);
  testing::FailingFileSystem unreadable;
  unreadable.FailWhen(testing::FsOp::kReadTextFile, "settings.db");
  EXPECT_NE(LoadOptions(dir / "settings.db", unreadable).problem, "");
}

#ifndef _WIN32
// Windows: file links need a privilege the tests do not have.
TEST(SettingsStore, ALinkAsSettingsFileIsFollowedByEveryWrite) {
  TempDir dir;
  testing::MakeFolder(dir / "dotfiles");
  testing::MakeFolder(dir / "app");
  std::filesystem::create_symlink("../dotfiles/tarnwick.db", PathFromText(dir / "app/settings.db"));
  const std::string file = SettingsFilePath(dir / "app");
  ASSERT_TRUE(SaveOptions(file, kDefaults));                  // a new file, then a rewrite
  SourceMemory(file).RememberConversion("/web", "/web-FTP");  // new sections: appends
  ASSERT_TRUE(SaveOptions(file, kDefaults));
  EXPECT_TRUE(std::filesystem::is_symlink(PathFromText(dir / "app/settings.db")));
  EXPECT_EQ(SourceMemory(SettingsFilePath(dir / "app")).ProposedDestination("/web"), "/web-FTP");
  EXPECT_NE(ReadFile(dir / "dotfiles/tarnwick.db").find("[DIDOvivavovo]\r\n/web=/web-FTP\r\n"),
            std::string::npos);
}
#endif

TEST(ParseOptionState, WholeNumbersAndRoundedFractions) {
  const std::pair<const char*, std::optional<std::int16_t>> cases[] = {
      {"0", 0},    {"2", 2},    {" 1\t", 1},  {"+1", 1},   {"0.5", 0},
      {"1.5", 2},  {"2.5", 2},  {"1.49", 1},  {"-0.5", 0}, {"20E-1", 2},
      {"2.6", {}}, {"3", {}},   {"-0.6", {}}, {"", {}},    {"1x", {}},
      {"1,5", {}}, {"0x1", {}}, {"inf", {}},  {"1e", {}},  {"99999999999", {}}};
  for (const auto& [text, state] : cases) EXPECT_EQ(ParseOptionState(text), state) << text;
}

TEST(ProgramFolder, IsTheExecutablesFolderWhenWritable) {
  std::string folder = ExecutableFolder();
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / TARNWICK_TEST_EXECUTABLE));
  ASSERT_TRUE(FolderWritable(folder));
  EXPECT_EQ(ProgramFolder(), folder);

  TempDir dir;
  WriteFile(dir / "file", "x");
  EXPECT_FALSE(FolderWritable(dir / "file"));
  EXPECT_FALSE(FolderWritable(dir / "missing"));
}

}  // namespace
}  // namespace tarnwick
