#include "report/tree_tally.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/forwarding_file_system.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::MakeFolder;
using testing::TempDir;
using testing::WriteFile;

// The machine's file system with reads and look-ups counted, and one folder refused.
class CountingFileSystem : public testing::ForwardingFileSystem {
 public:
  bool Allow(testing::FsOp op, const std::string& path, const std::string&,
             std::string*) override {
    if (op == testing::FsOp::kReadFolder) return ++reads, path != refused;
    if (op == testing::FsOp::kLookUp) ++lookUps[path];
    return true;
  }
  std::string refused;
  int reads = 0;
  std::map<std::string, int> lookUps;
};

// 3 counted sub-folders (a FrontPage one and an empty one), a hidden file, a dot folder
// whose content must not count, and change logs at the root and below it.
void MakeWeb(const TempDir& tree) {
  WriteFile(tree / "web/index.htm", std::string(100, 'x'));
  WriteFile(tree / "web/Changes.INI", std::string(50, 'x'));
  WriteFile(tree / "web/images/changes.ini", std::string(3, 'x'));
  WriteFile(tree / "web/.htaccess", std::string(7, 'x'));
  WriteFile(tree / "web/_vti_cnf/index.htm", std::string(20, 'x'));
  WriteFile(tree / "web/images/logo.gif", std::string(300, 'x'));
  MakeFolder(tree / "web/images/empty");
  WriteFile(tree / "web/.cache/big.bin", std::string(5000, 'x'));
  MakeFolder(tree / "web/.cache/deeper");
}

TEST(TreeTallyTest, CountsFoldersFilesAndBytesBelowTheRoot) {
  TempDir tree;
  MakeWeb(tree);
  for (const std::string& root : {tree / "web", (tree / "web") + kPathSeparator}) {
    // Only the root's change log is left out, and only when asked.
    for (bool leaveOutLog : {false, true}) {
      TreeTally tally{1, 2, 3};  // the walk adds to what the tally holds
      TallyTree(SystemFileSystem(), root, tally, leaveOutLog);
      EXPECT_EQ(tally.Folders, 4) << root;
      EXPECT_EQ(tally.Files, leaveOutLog ? 7 : 8) << root;
      EXPECT_EQ(tally.Bytes, leaveOutLog ? 433 : 483) << root;
    }
  }

  TreeTally none;  // an empty text must not be taken for the file system's root
  TallyTree(SystemFileSystem(), "", none, false);
  TallyTree(SystemFileSystem(), tree / "missing", none, false);
  EXPECT_EQ(none.Folders + none.Files + none.Bytes, 0);
}

TEST(TreeTallyTest, OnlyRegularFilesAndRealFoldersCountWithSixtyFourBitSizes) {
  TempDir tree;
  WriteFile(tree / "other/inside.htm", std::string(1000, 'x'));
  WriteFile(tree / "web/huge.bin", "");
  std::filesystem::resize_file(tree / "web/huge.bin", 5000000000u);  // sparse
#ifndef _WIN32
  // Windows has no named pipes in folders, and links to folders need a privilege; its
  // junctions are tested in file_system_win32_test.cpp.
  ASSERT_EQ(mkfifo((tree / "web/pipe").c_str(), 0600), 0);
  std::filesystem::create_directory_symlink(tree / "other", tree / "web/linked");
  std::filesystem::create_directory_symlink(tree / "web", tree / "web/loop");
#endif
  TreeTally tally;
  TallyTree(SystemFileSystem(), tree / "web", tally, false);
  EXPECT_EQ(tally.Folders, 0);
  EXPECT_EQ(tally.Files, 1);
  EXPECT_EQ(tally.Bytes, 5000000000);
}

TEST(TreeTallyTest, OneReadPerFolderOneLookUpPerFileAndAFailedReadEndsOnlyItsBranch) {
  TempDir tree;
  MakeWeb(tree);
  WriteFile(tree / "web/locked/deeper/page.htm", "x");
  CountingFileSystem fs;
  fs.refused = (tree / "web/locked") + kPathSeparator;
  int yields = 0;
  TreeTally tally;
  EXPECT_TRUE(TallyTree(fs, tree / "web", tally, true, [&] { return ++yields > 0; }));
  EXPECT_EQ(tally.Folders, 3);
  EXPECT_EQ(tally.Files, 5);
  EXPECT_EQ(tally.Bytes, 430);
  // The root, three counted sub-folders and the refused one; the dot folder is never read.
  EXPECT_EQ(fs.reads, 5);
  EXPECT_EQ(fs.lookUps.size(), 5u);
  for (const auto& [path, count] : fs.lookUps) EXPECT_EQ(count, 1) << path;
  EXPECT_GE(yields, 5);  // the window gets a turn after every file

  // A false answer ends the count at once, in any folder.
  for (int last = 1; last <= yields; ++last) {
    TreeTally part;
    int turns = 0;
    EXPECT_FALSE(TallyTree(fs, tree / "web", part, true, [&] { return ++turns < last; }));
    EXPECT_EQ(turns, last);
    EXPECT_LE(part.Files, tally.Files);
  }
}

}  // namespace
}  // namespace tarnwick
