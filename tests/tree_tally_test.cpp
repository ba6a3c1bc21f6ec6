#include "report/tree_tally.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "support/report_fixture.h"

namespace tarnwick {
namespace {

using testing::TempTree;

// The machine's file system, with every read and look-up counted.
class CountingFileSystem : public FileSystem {
 public:
  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) override {
    ++reads;
    return SystemFileSystem().ReadFolder(folder, listing, error);
  }
  std::optional<FindEntry> LookUp(const std::string& path) override {
    ++lookUps[path];
    return SystemFileSystem().LookUp(path);
  }
  bool CreateFolder(const std::string& path, std::string* error) override {
    return SystemFileSystem().CreateFolder(path, error);
  }
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    return SystemFileSystem().CopyFile(from, to, error);
  }
  bool DeleteFile(const std::string& path, std::string* error) override {
    return SystemFileSystem().DeleteFile(path, error);
  }
  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override {
    return SystemFileSystem().ReadTextFile(path, content, error);
  }
  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override {
    return SystemFileSystem().ReplaceFile(path, content, error);
  }
  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override {
    return SystemFileSystem().AppendToFile(path, content, error);
  }

  int reads = 0;
  std::map<std::string, int> lookUps;
};

// A small web: 3 counted sub-folders (one of them a FrontPage folder and one empty), a
// hidden file, and a dot folder whose content must not count.
void MakeWeb(const TempTree& tree) {
  tree.WriteFile("web/index.htm", std::string(100, 'x'));
  tree.WriteFile("web/.htaccess", std::string(7, 'x'));
  tree.WriteFile("web/_vti_cnf/index.htm", std::string(20, 'x'));
  tree.WriteFile("web/images/logo.gif", std::string(300, 'x'));
  tree.MakeFolder("web/images/empty");
  tree.WriteFile("web/.cache/big.bin", std::string(5000, 'x'));
  tree.MakeFolder("web/.cache/deeper");
}

TEST(TreeTallyTest, CountsFoldersFilesAndBytesBelowTheRoot) {
  TempTree tree;
  MakeWeb(tree);
  for (const std::string& root : {tree.Path("web"), tree.Path("web") + kPathSeparator}) {
    TreeTally tally;
    TallyTree(SystemFileSystem(), root, tally, false);
    EXPECT_EQ(tally.Folders, 3) << root;
    EXPECT_EQ(tally.Files, 4) << root;
    EXPECT_EQ(tally.Bytes, 427) << root;
  }
}

TEST(TreeTallyTest, AddsToWhatTheTallyHolds) {
  TempTree tree;
  MakeWeb(tree);
  TreeTally tally{10, 20, 30};
  TallyTree(SystemFileSystem(), tree.Path("web"), tally, false);
  EXPECT_EQ(tally.Folders, 13);
  EXPECT_EQ(tally.Files, 24);
  EXPECT_EQ(tally.Bytes, 457);
}

TEST(TreeTallyTest, SubfolderWalkLeavesTheRootFilesOut) {
  TempTree tree;
  MakeWeb(tree);
  TreeTally tally;
  TallySubfolders(SystemFileSystem(), tree.Path("web") + kPathSeparator, tally);
  EXPECT_EQ(tally.Folders, 3);
  EXPECT_EQ(tally.Files, 2);
  EXPECT_EQ(tally.Bytes, 320);
}

TEST(TreeTallyTest, RootChangeLogIsLeftOutOnlyWhenAsked) {
  TempTree tree;
  tree.WriteFile("up/Changes.INI", std::string(50, 'x'));
  tree.WriteFile("up/page.htm", std::string(10, 'x'));
  tree.WriteFile("up/sub/changes.ini", std::string(3, 'x'));

  TreeTally uploads;
  TallyTree(SystemFileSystem(), tree.Path("up"), uploads, true);
  EXPECT_EQ(uploads.Files, 2);
  EXPECT_EQ(uploads.Bytes, 13);

  TreeTally destination;
  TallyTree(SystemFileSystem(), tree.Path("up"), destination, false);
  EXPECT_EQ(destination.Files, 3);
  EXPECT_EQ(destination.Bytes, 63);
}

TEST(TreeTallyTest, MissingOrEmptyRootCountsNothing) {
  TempTree tree;
  TreeTally tally;
  TallyTree(SystemFileSystem(), tree.Path("missing"), tally, false);
  // An empty text must not be taken for the file system's root.
  TallyTree(SystemFileSystem(), "", tally, false);
  TallySubfolders(SystemFileSystem(), tree.Path("missing") + kPathSeparator, tally);
  EXPECT_EQ(tally.Folders, 0);
  EXPECT_EQ(tally.Files, 0);
  EXPECT_EQ(tally.Bytes, 0);
}

TEST(TreeTallyTest, OnlyRegularFilesAndRealFoldersCount) {
  TempTree tree;
  tree.WriteFile("other/inside.htm", std::string(1000, 'x'));
  tree.WriteFile("web/page.htm", std::string(10, 'x'));
  ASSERT_EQ(mkfifo(tree.Path("web/pipe").c_str(), 0600), 0);
  std::filesystem::create_directory_symlink(tree.Path("other"), tree.Path("web/linked"));
  // A link back to the root would loop if it were followed.
  std::filesystem::create_directory_symlink(tree.Path("web"), tree.Path("web/loop"));

  TreeTally tally;
  TallyTree(SystemFileSystem(), tree.Path("web"), tally, false);
  EXPECT_EQ(tally.Folders, 0);
  EXPECT_EQ(tally.Files, 1);
  EXPECT_EQ(tally.Bytes, 10);
}

TEST(TreeTallyTest, SizesAndTotalsAreSixtyFourBit) {
  TempTree tree;
  tree.WriteSizedFile("web/huge.bin", 5000000000u);
  tree.WriteSizedFile("web/sub/large.bin", 3000000000u);
  TreeTally tally;
  TallyTree(SystemFileSystem(), tree.Path("web"), tally, false);
  EXPECT_EQ(tally.Files, 2);
  EXPECT_EQ(tally.Bytes, 8000000000);
}

TEST(TreeTallyTest, AnUnreadableFolderDoesNotEndTheCount) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not hold for root";
  TempTree tree;
  tree.WriteFile("web/a/secret.htm", std::string(5, 'x'));
  tree.WriteFile("web/b/page.htm", std::string(10, 'x'));
  ASSERT_EQ(chmod(tree.Path("web/a").c_str(), 0), 0);
  TreeTally tally;
  TallyTree(SystemFileSystem(), tree.Path("web"), tally, false);
  chmod(tree.Path("web/a").c_str(), 0700);
  EXPECT_EQ(tally.Folders, 1);
  EXPECT_EQ(tally.Files, 1);
  EXPECT_EQ(tally.Bytes, 10);
}

TEST(TreeTallyTest, OneReadPerFolderAndOneLookUpPerFile) {
  TempTree tree;
  MakeWeb(tree);
  tree.WriteFile("web/changes.ini", "x");
  CountingFileSystem fs;
  int yields = 0;
  TreeTally tally;
  TallyTree(fs, tree.Path("web"), tally, true, [&] { ++yields; });
  EXPECT_EQ(tally.Files, 4);
  // The root and its three counted sub-folders; the dot folder is never read.
  EXPECT_EQ(fs.reads, 4);
  EXPECT_EQ(fs.lookUps.size(), 4u);
  for (const auto& [path, count] : fs.lookUps) EXPECT_EQ(count, 1) << path;
  // The window gets a turn after every file.
  EXPECT_GE(yields, 4);
}

}  // namespace
}  // namespace tarnwick
