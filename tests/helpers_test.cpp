#include <gtest/gtest.h>

#include "base/folder_path.h"
#include "engine/conversion_run.h"
#include "platform/file_system.h"
#include "rules/file_compare.h"

namespace tarnwick {
namespace {

const std::string kSep(1, kPathSeparator);

TEST(HelpersTest, StripTrailingSeparatorsKeepsRoot) {
  EXPECT_EQ(StripTrailingSeparators("web" + kSep + kSep), "web");
  EXPECT_EQ(StripTrailingSeparators("web"), "web");
#ifdef _WIN32
  EXPECT_EQ(StripTrailingSeparators("C:\\\\"), "C:\\");
#else
  EXPECT_EQ(StripTrailingSeparators("/"), "/");
#endif
}

TEST(HelpersTest, FolderPathIsWholeWithoutSeparatorAtItsEnd) {
  EXPECT_EQ(FolderPath("  ").Text(), "");
  const std::string here = FolderPath(".").Text();
  EXPECT_EQ(FolderPath("web" + kSep + "." + kSep + "sub" + kSep + kSep).Text(),
            here + kSep + "web" + kSep + "sub");
  EXPECT_EQ(FolderPath(here + kSep + "web" + kSep + ".." + kSep + "web").Text(),
            here + kSep + "web");
}

TEST(HelpersTest, WriteTimesCompareWithinTheCopysStep) {
  constexpr std::int64_t kSecond = 1000000000;
  struct Case {
    std::int64_t source, copy, step;
    bool same;
  } cases[] = {
      {5 * kSecond + 7, 5 * kSecond + 7, 1, true},
      {5 * kSecond + 7, 5 * kSecond, 1, false},  // an exact file system shows every change
      {5 * kSecond + 999999999, 5 * kSecond, kSecond, true},      // cut to whole seconds
      {5 * kSecond + 500000000, 6 * kSecond, kSecond, true},      // rounded up
      {6 * kSecond, 5 * kSecond, kSecond, false},                 // a second later: changed
      {4 * kSecond + 999999999, 6 * kSecond, 2 * kSecond, true},  // FAT, either way
      {7 * kSecond + 500000000, 6 * kSecond, 2 * kSecond, true},
      {8 * kSecond, 6 * kSecond, 2 * kSecond, false},
      {4 * kSecond, 6 * kSecond, 2 * kSecond, false},      // a whole step either way: changed
      {5 * kSecond + 2, 5 * kSecond + 1, kSecond, false},  // a fraction the step cannot hold
      {-kSecond + 1, -kSecond, kSecond, true},
  };
  for (const Case& c : cases) {
    FindEntry source, copy;
    source.lastWriteTime = c.source;
    copy.lastWriteTime = c.copy;
    EXPECT_EQ(SameWriteTime(source, copy, c.step), c.same) << c.source << " " << c.copy;
  }
}

TEST(HelpersTest, TimeStepsAndTemporaryNamesAreKnownExactly) {
  EXPECT_EQ(TimeStepOf(kProbeWriteTime), 1);
  EXPECT_EQ(TimeStepOf(kProbeWriteTime - 21), 100);                 // NTFS and SMB
  EXPECT_EQ(TimeStepOf(kProbeWriteTime - 987654321), 1000000000);   // ext2 with small inodes
  EXPECT_EQ(TimeStepOf(kProbeWriteTime - 1987654321), 2000000000);  // FAT, cut
  EXPECT_EQ(TimeStepOf(kProbeWriteTime + 12345679), 2000000000);    // FAT, rounded up
  EXPECT_EQ(TimeStepOf(kProbeWriteTime + 1), 1);

  const std::string prefix = ReplaceTempPrefix("changes.ini");
  EXPECT_TRUE(IsReplaceTempName(prefix + "0", "changes.ini"));
  EXPECT_TRUE(IsReplaceTempName(prefix + "999999999", "changes.ini"));
  for (const std::string& name : {prefix, prefix + "12a", prefix + "1234567890", prefix + "-1",
                                  std::string(".Changes.ini.tmp1"), "x" + prefix + "1"})
    EXPECT_FALSE(IsReplaceTempName(name, "changes.ini")) << name;
}

// The window starts the client after a run only with a path and the box checked or greyed.
TEST(HelpersTest, AnFtpClientIsWantedWithAPathAndTheBoxOn) {
  const struct {
    const char* path;
    std::int16_t launch;
    bool wanted;
  } rows[] = {{"/usr/bin/ftp", 0, false},
              {"/usr/bin/ftp", 1, true},
              {"/usr/bin/ftp", 2, true},
              {"", 1, false}};
  for (const auto& row : rows) {
    Options options;
    options.FTPPath = row.path;
    options.LaunchFTP = row.launch;
    EXPECT_EQ(ConversionRun::FtpClientWanted(options), row.wanted) << row.path << row.launch;
  }
}

}  // namespace
}  // namespace tarnwick
