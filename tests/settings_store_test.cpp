#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/program_folder.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

Options Defaults() {
  Options o;
  o.CheckForChanges = o.CompareDate = o.CompareSize = o.CreateUploadsDir = 1;
  o.KillDeleted = o.KillExtra = o.ReportChanges = o.ReportDeleted = 1;
  o.LaunchFTP = 0;
  return o;
}

TEST(SettingsStore, MissingFileGivesDefaultsAndWritesNothing) {
  TempDir dir;
  std::string file = SettingsFilePath(dir.path());
  EXPECT_EQ(file, dir / "settings.db");
  LoadedOptions loaded = LoadOptions(file);
  EXPECT_EQ(loaded.options, Defaults());
  EXPECT_TRUE(loaded.damagedKeys.empty());
  EXPECT_FALSE(Exists(dir / "settings.db"));
}

TEST(SettingsStore, SaveWritesTheTenKeysInOrder) {
  TempDir dir;
  Options o;
  o.CheckForChanges = 1;
  o.CompareDate = 0;
  o.CompareSize = 2;
  o.CreateUploadsDir = 1;
  o.FTPPath = "/usr/bin/ftp client";
  o.KillDeleted = 0;
  o.KillExtra = 1;
  o.LaunchFTP = 1;
  o.ReportChanges = 0;
  o.ReportDeleted = 1;
  ASSERT_TRUE(SaveOptions(dir / "settings.db", o));
  EXPECT_EQ(ReadFile(dir / "settings.db"),
            "[Main]\r\nCheckForChanges=1\r\nCompareDate=0\r\nCompareSize=2\r\n"
            "CreateUploadsDir=1\r\nFTPPath=/usr/bin/ftp client\r\nKillDeleted=0\r\n"
            "KillExtra=1\r\nLaunchFTP=1\r\nReportChanges=0\r\nReportDeleted=1\r\n");
  EXPECT_EQ(LoadOptions(dir / "settings.db").options, o);
}

TEST(SettingsStore, SaveReplacesKeysInPlaceAndKeepsOtherSections) {
  TempDir dir;
  WriteFile(dir / "settings.db",
            "[Positions]\r\n1=/webs/a\r\n[main]\r\nkillextra=0\r\nCheckForChanges=0\r\n"
            "[DIDOvivavovo]\r\n/webs/a=/webs/a-FTP\r\n");
  Options o = Defaults();
  ASSERT_TRUE(SaveOptions(dir / "settings.db", o));
  std::string text = ReadFile(dir / "settings.db");
  EXPECT_EQ(text.rfind("[Positions]\r\n1=/webs/a\r\n[main]\r\n", 0), 0u) << text;
  const std::string tail = "[DIDOvivavovo]\r\n/webs/a=/webs/a-FTP\r\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
  EXPECT_EQ(text.find("[Main]"), std::string::npos) << text;
  EXPECT_EQ(LoadOptions(dir / "settings.db").options, o);
}

TEST(SettingsStore, SaveRefusesAPathThatTheFileCannotHold) {
  TempDir dir;
  Options o = Defaults();
  o.FTPPath = "/bin/ftp\r\nLaunchFTP=1";
  EXPECT_FALSE(SaveOptions(dir / "settings.db", o));
  EXPECT_EQ(LoadOptions(dir / "settings.db").options.LaunchFTP, 0);
}

TEST(SettingsStore, DamagedValuesTakeTheirDefaultAndLoadingGoesOn) {
  TempDir dir;
  WriteFile(dir / "settings.db",
            "[Main]\r\nCheckForChanges=0\r\nCompareDate=\r\nCompareSize=yes\r\n"
            "CreateUploadsDir=0\r\nFTPPath=/opt/ftp\r\nKillDeleted=3\r\nKillExtra=-1\r\n"
            "LaunchFTP=1x\r\nReportChanges=0\r\nReportDeleted=0\r\n");
  LoadedOptions loaded = LoadOptions(dir / "settings.db");
  Options expected;
  expected.CheckForChanges = 0;
  expected.CompareDate = 1;
  expected.CompareSize = 1;
  expected.CreateUploadsDir = 0;
  expected.FTPPath = "/opt/ftp";
  expected.KillDeleted = 1;
  expected.KillExtra = 1;
  expected.LaunchFTP = 0;
  expected.ReportChanges = 0;
  expected.ReportDeleted = 0;
  EXPECT_EQ(loaded.options, expected);
  EXPECT_EQ(loaded.damagedKeys,
            (std::vector<std::string>{"CompareDate", "CompareSize", "KillDeleted", "KillExtra",
                                      "LaunchFTP"}));
}

TEST(SettingsStore, GreyedStateLoadsAndIsSavedBack) {
  TempDir dir;
  WriteFile(dir / "settings.db", "[Main]\nCheckForChanges=2\nKillExtra=\"2\"\n");
  Options o = LoadOptions(dir / "settings.db").options;
  EXPECT_EQ(o.CheckForChanges, 2);
  EXPECT_EQ(o.KillExtra, 2);
  ASSERT_TRUE(SaveOptions(dir / "settings.db", o));
  std::string text = ReadFile(dir / "settings.db");
  EXPECT_NE(text.find("CheckForChanges=2\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("KillExtra=2\r\n"), std::string::npos) << text;
}

TEST(SettingsStore, AnFtpPathLongerThanTheOldBufferComesBackWhole) {
  TempDir dir;
  Options o = Defaults();
  o.FTPPath = "/opt/" + std::string(300, 'f');
  ASSERT_TRUE(SaveOptions(dir / "settings.db", o));
  EXPECT_EQ(LoadOptions(dir / "settings.db").options.FTPPath, o.FTPPath);
}

TEST(ParseOptionState, WholeNumbersAndRoundedFractions) {
  struct Case {
    const char* text;
    std::optional<std::int16_t> state;
  };
  const Case cases[] = {
      {"0", 0},    {"1", 1},     {"2", 2},    {" 1\t", 1},  {"+1", 1},   {"1.0", 1},
      {"0.4", 0},  {"0.5", 0},   {"1.5", 2},  {"2.5", 2},   {"1.49", 1}, {".6", 1},
      {"-0.5", 0}, {"-0.4", 0},  {"1e0", 1},  {"20E-1", 2}, {"2.6", {}}, {"3", {}},
      {"-1", {}},  {"-0.6", {}}, {"", {}},    {"abc", {}},  {"1x", {}},  {"1,5", {}},
      {"0x1", {}}, {"nan", {}},  {"inf", {}}, {"1e", {}},   {".", {}},   {"99999999999", {}},
      {"1 1", {}}, {"--1", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseOptionState(c.text), c.state) << '"' << c.text << '"';
  }
}

TEST(SettingsStore, TickerDateLivesInItsOwnSection) {
  TempDir dir;
  std::string file = dir / "settings.db";
  EXPECT_EQ(LoadTickerDate(file), "");
  ASSERT_TRUE(SaveOptions(file, Defaults()));
  ASSERT_TRUE(SaveTickerDate(file, "20240131"));
  EXPECT_EQ(LoadTickerDate(file), "20240131");
  std::string text = ReadFile(dir / "settings.db");
  EXPECT_NE(text.find("\r\n[Ticker]\r\nTickerDate=20240131\r\n"), std::string::npos) << text;
  // The ticker's reader spells the key differently; it must find the same entry.
  IniEditor editor;
  editor.IniFile = file;
  editor.IniSection = kTickerDateSection;
  EXPECT_EQ(editor.ReadIniValue("Tickerdate", ""), "20240131");
  EXPECT_EQ(LoadOptions(file).options, Defaults());
}

TEST(ProgramFolder, IsTheExecutablesFolderWhenWritable) {
  std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "settings_store_test"));
  ASSERT_TRUE(FolderWritable(folder));
  EXPECT_EQ(ProgramFolder(), folder);
}

TEST(ProgramFolder, WritableOnlyForExistingFolders) {
  TempDir dir;
  WriteFile(dir / "file", "x");
  EXPECT_TRUE(FolderWritable(dir.path()));
  EXPECT_FALSE(FolderWritable(dir / "file"));
  EXPECT_FALSE(FolderWritable(dir / "missing"));
  EXPECT_FALSE(FolderWritable(""));
}

#ifndef _WIN32
TEST(ProgramFolder, UserDataFolderIsUnderHome) {
  TempDir dir;
  const char* oldHome = std::getenv("HOME");
  std::string saved = oldHome ? oldHome : "";
  setenv("HOME", dir.path().c_str(), 1);
  std::string folder = UserDataFolder();
  if (oldHome) setenv("HOME", saved.c_str(), 1);
  EXPECT_EQ(folder, dir / ".local/share/Tarnwick");
}
#endif

}  // namespace
}  // namespace tarnwick
