#include "settings/ini_editor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/forwarding_file_system.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Counts the reads of whole files: a profile is read once for all its keys.
class ReadCounter : public testing::ForwardingFileSystem {
 public:
  bool Allow(testing::FsOp op, const std::string&, const std::string&, std::string*) override {
    if (op == testing::FsOp::kReadTextFile) ++reads;
    return true;
  }
  int reads = 0;
};

class IniEditorTest : public ::testing::Test {
 protected:
  IniEditorTest() {
    ini.IniFile = dir / "test.ini";
    ini.IniSection = "Main";
  }
  TempDir dir;
  ReadCounter fs;
  IniEditor ini{fs};
};

TEST_F(IniEditorTest, ASectionPlacedBeforeAnotherTakesItsKeysAlongAndLaterKeysFollowIt) {
  WriteFile(ini.IniFile, "; top\r\n[A]\r\na=1\r\n[B]\r\nb=2\r\n[C]\r\nc=3\r\n");
  ini.IniSection = "c";
  ASSERT_TRUE(ini.PlaceSectionBefore("b"));
  EXPECT_EQ(ReadFile(ini.IniFile), "; top\r\n[A]\r\na=1\r\n[C]\r\nc=3\r\n[B]\r\nb=2\r\n");
  // Already before it, or either missing: nothing changes.
  ASSERT_TRUE(ini.PlaceSectionBefore("B"));
  ini.IniSection = "Missing";
  ASSERT_TRUE(ini.PlaceSectionBefore("A"));
  ini.IniSection = "C";
  ASSERT_TRUE(ini.WriteIniValue("d", "4"));
  EXPECT_EQ(ReadFile(ini.IniFile),
            "; top\r\n[A]\r\na=1\r\n[C]\r\nc=3\r\nd=4\r\n[B]\r\nb=2\r\n");
  ini.IniSection = "B";
  EXPECT_EQ(ini.ReadIniValue("b", ""), "2");
}

TEST_F(IniEditorTest, MissingFileSectionOrKeyGivesDefault) {
  EXPECT_EQ(ini.ReadIniValue("CompareDate", "1"), "1");
  WriteFile(ini.IniFile, "[Other]\r\nCompareDate=0\r\n");
  EXPECT_EQ(ini.ReadIniValue("CompareDate", "1"), "1");
  WriteFile(ini.IniFile, "[Main]\r\nCompareDate=\r\n");
  EXPECT_EQ(ini.ReadIniValue("CompareDate", "1"), "");  // an empty value is not the default
}

TEST_F(IniEditorTest, BlanksQuotesCaseAndLineEnds) {
  WriteFile(ini.IniFile,
            "[ main ]\n  Key One =  spaced value \t\rQuoted=\"in quotes\"\r\n"
            "Single='x'\nMixed=\"x'\n[Main]\nKey One=second\n");
  EXPECT_EQ(ini.ReadIniValue("key one", ""), "spaced value");
  EXPECT_EQ(ini.ReadIniValue("QUOTED", ""), "in quotes");
  EXPECT_EQ(ini.ReadIniValue("single", ""), "x");
  EXPECT_EQ(ini.ReadIniValue("mixed", ""), "\"x'");
  ini.IniSection = "MAIN";
  EXPECT_EQ(ini.ReadIniValue("Key One", ""), "spaced value");  // the first section wins
  EXPECT_EQ(fs.reads, 1);
}

TEST_F(IniEditorTest, LongValuesAreCutToTheBuffer) {
  WriteFile(ini.IniFile, "[Main]\r\nLong=" + std::string(300, 'v') + "\r\n");
  EXPECT_EQ(ini.ReadIniValue("Long", ""), std::string(254, 'v'));
  EXPECT_EQ(ini.ReadIniValue("Missing", std::string(300, 'd')), std::string(254, 'd'));
  EXPECT_EQ(ini.ReadWholeSection().at(0).second, std::string(300, 'v'));
}

TEST_F(IniEditorTest, WriteCreatesFileReplacesInPlaceAndAppends) {
  ASSERT_NE(ini.WriteIniValue("A", "1"), 0);
  EXPECT_EQ(ReadFile(ini.IniFile), "[Main]\r\nA=1\r\n");
  // Another program's edit is seen by the next read and kept by the next write.
  WriteFile(ini.IniFile, "[Main]\r\nA=1\r\nE=elsewhere\r\n");
  EXPECT_EQ(ini.ReadIniValue("E", ""), "elsewhere");
  ini.WriteIniValue("B", "2");
  ini.IniSection = "Second";
  ini.WriteIniValue("C", "3");
  ini.IniSection = "main";
  ini.WriteIniValue("a", "changed");  // replaced in place, name as written now
  ini.WriteIniValue("D", "4");        // after the last key of its section
  EXPECT_EQ(ReadFile(ini.IniFile),
            "[Main]\r\na=changed\r\nE=elsewhere\r\nB=2\r\nD=4\r\n[Second]\r\nC=3\r\n");
}

TEST_F(IniEditorTest, KeysMatchedExactlyKeepTheirCapitals) {
  WriteFile(ini.IniFile, "[Main]\r\nSite=1\r\nsite=hidden\r\n[Next]\r\nX=y\r\n");
  ini.MatchKeysExactly(true);
  EXPECT_EQ(ini.ReadIniValue(" site ", ""), "hidden");
  EXPECT_EQ(ini.ReadIniValue("SITE", "none"), "none");
  ini.WriteIniValue("SITE", "3");
  ini.WriteIniValue("Site", "2");
  ini.IniSection = "main";  // sections still match without regard to case
  EXPECT_EQ(ini.ReadWholeSection(), (std::vector<std::pair<std::string, std::string>>{
                                        {"Site", "2"}, {"site", "hidden"}, {"SITE", "3"}}));
  EXPECT_EQ(ReadFile(ini.IniFile),
            "[Main]\r\nSite=2\r\nsite=hidden\r\nSITE=3\r\n[Next]\r\nX=y\r\n");
  ini.MatchKeysExactly(false);
  EXPECT_EQ(ini.ReadIniValue("SITE", ""), "2");
  EXPECT_EQ(ini.ReadWholeSection().size(), 1u);
}

TEST_F(IniEditorTest, NewKeyGoesAfterLastKeyNotAfterTrailingLines) {
  WriteFile(ini.IniFile, "; note\n[Main]\nA=1\n\n; comment\n[Next]\nX=y");
  ini.WriteIniValue("B", "2");
  ini.IniSection = "Next";
  ini.WriteIniValue("Z", "z");
  EXPECT_EQ(ReadFile(ini.IniFile),
            "; note\r\n[Main]\r\nA=1\r\nB=2\r\n\r\n; comment\r\n[Next]\r\nX=y\r\nZ=z\r\n");
}

TEST_F(IniEditorTest, ReadWholeSectionGivesKeysInFileOrder) {
  WriteFile(ini.IniFile, "[Deleted]\r\nc=100\r\na=2048\r\nb=\r\n");
  ini.IniSection = "Deleted";
  EXPECT_EQ(ini.ReadWholeSection(), (std::vector<std::pair<std::string, std::string>>{
                                        {"c", "100"}, {"a", "2048"}, {"b", ""}}));
  ini.IniSection = "Other";
  EXPECT_TRUE(ini.ReadWholeSection().empty());
}

TEST_F(IniEditorTest, RefusedWritesLeaveTheFileAsItWas) {
  // What the syntax cannot hold.
  EXPECT_EQ(ini.WriteIniValue("a=b", "1"), 0);
  EXPECT_EQ(ini.WriteIniValue("line\nbreak", "1"), 0);
  EXPECT_EQ(ini.WriteIniValue("[x", "1"), 0);
  EXPECT_EQ(ini.WriteIniValue("k", "two\r\nlines"), 0);
  EXPECT_FALSE(testing::Exists(ini.IniFile));
  EXPECT_NE(ini.WriteIniValue("k", "a=b"), 0);  // "=" in a value reads back whole
  EXPECT_EQ(ini.ReadIniValue("k", ""), "a=b");

  // A read-only file: neither a replacement nor an append.
  std::filesystem::permissions(ini.IniFile, std::filesystem::perms::owner_read);
  EXPECT_EQ(ini.WriteIniValue("k", "2"), 0);
  EXPECT_EQ(ini.WriteIniValue("B", "2"), 0);
  EXPECT_EQ(ReadFile(ini.IniFile), "[Main]\r\nk=a=b\r\n");
  EXPECT_EQ(ini.ReadIniValue("k", ""), "a=b");

  ini.IniFile = dir / "missing/test.ini";
  EXPECT_EQ(ini.WriteIniValue("A", "1"), 0);
  EXPECT_FALSE(ini.LastError().empty());
}

TEST_F(IniEditorTest, DeferredWritesLandTogetherAndKeepTheLayout) {
  WriteFile(ini.IniFile, "[Changed]\r\nold=NEW Entry\r\n[Deleted]\r\nx=1\r\n");
  ini.IniSection = "Changed";
  ini.DeferWrites(true);
  for (int i = 0; i < 1000; ++i) ini.WriteIniValue("k" + std::to_string(i), "NEW Entry");
  ini.WriteIniValue("old", "Date Changed");
  // Nothing on disk yet; reads already see the writes.
  EXPECT_EQ(ReadFile(ini.IniFile), "[Changed]\r\nold=NEW Entry\r\n[Deleted]\r\nx=1\r\n");
  EXPECT_EQ(ini.ReadIniValue("k999", ""), "NEW Entry");
  ASSERT_TRUE(ini.Flush());
  std::string text = ReadFile(ini.IniFile);
  EXPECT_EQ(text.substr(0, 45), "[Changed]\r\nold=Date Changed\r\nk0=NEW Entry\r\nk1");
  EXPECT_NE(text.find("k999=NEW Entry\r\n[Deleted]\r\nx=1\r\n"), std::string::npos);
  ini.DeferWrites(false);
  IniEditor other;
  other.IniFile = ini.IniFile;
  other.IniSection = "changed";
  EXPECT_EQ(other.ReadWholeSection().size(), 1001u);
}

#ifndef _WIN32
// Windows: nobody can rename a folder the run holds, which its own tests show.
TEST_F(IniEditorTest, AnEditorOnAHeldFolderKeepsToItsFileThere) {
  WriteFile(dir / "logs/changes.ini", "[Changed]\r\nold=NEW Entry\r\n");
  IniEditor held(SystemFileSystem().OpenFolder(dir / "logs", nullptr), "changes.ini");
  held.IniFile = dir / "logs/changes.ini";  // names it in messages only
  held.IniSection = "Changed";
  EXPECT_EQ(held.ReadIniValue("old", ""), "NEW Entry");
  // The folder moves and another takes its name: the editor still writes in the one held.
  std::filesystem::rename(dir / "logs", dir / "moved");
  WriteFile(dir / "logs/changes.ini", "[Changed]\r\nother=1\r\n");
  EXPECT_EQ(held.WriteIniValue("new", "Size Changed"), 1);
  EXPECT_EQ(held.WriteIniValue("old", "Date Changed"), 1);
  EXPECT_EQ(ReadFile(dir / "moved/changes.ini"),
            "[Changed]\r\nold=Date Changed\r\nnew=Size Changed\r\n");
  EXPECT_EQ(ReadFile(dir / "logs/changes.ini"), "[Changed]\r\nother=1\r\n");
  // Without its folder nothing is read or written, and the failure says why.
  IniEditor none(nullptr, "changes.ini");
  none.IniFile = dir / "none/changes.ini";
  none.IniSection = "Changed";
  EXPECT_EQ(none.ReadIniValue("old", "(missing)"), "(missing)");
  EXPECT_EQ(none.WriteIniValue("old", "x"), 0);
  EXPECT_FALSE(none.LastError().empty());
}
#endif

}  // namespace
}  // namespace tarnwick
