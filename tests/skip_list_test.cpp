#include "settings/skip_list.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::WriteFile;

using Lines = std::vector<std::string>;

TEST(SkipList, LineEndsAndVerbatimEntries) {
  EXPECT_EQ(ParseSkipList(""), Lines{});
  EXPECT_EQ(ParseSkipList("a.txt\r\n\r\nb.txt"), (Lines{"a.txt", "", "b.txt"}));
  EXPECT_EQ(ParseSkipList("a\rb\r"), (Lines{"a", "b"}));
  // What "echo Thumbs.db > extras.db" and Linux editors write.
  EXPECT_EQ(ParseSkipList("Thumbs.db\n"), Lines{"Thumbs.db"});
  EXPECT_EQ(ParseSkipList("a\nb\r\nc\n\nd"), (Lines{"a", "b", "c", "", "d"}));
  EXPECT_EQ(ParseSkipList("\n\r"), (Lines{"", ""}));
  EXPECT_EQ(ParseSkipList("\r\n"), Lines{""});
  EXPECT_EQ(ParseSkipList("a\r\r\nb"), (Lines{"a", "", "b"}));
  // A byte-order mark at the start is no part of the first entry, elsewhere it is.
  EXPECT_EQ(ParseSkipList("\xEF\xBB\xBFThumbs.db\n\xEF\xBB\xBFx"),
            (Lines{"Thumbs.db", "\xEF\xBB\xBFx"}));
  EXPECT_EQ(ParseSkipList("  *.bak \t\r\n; not a comment"),
            (Lines{"  *.bak \t", "; not a comment"}));
  EXPECT_EQ(ParseSkipList(std::string("x\0y", 3)), Lines{std::string("x\0y", 3)});
}

TEST(SkipList, LoadsTheFileAndGivesEmptyWhenItCannotBeRead) {
  testing::TempDir dir;
  WriteFile(dir / "extras.db", "thumbs.db\r\n\r\nnotes.txt\r\n");
  EXPECT_EQ(LoadSkipList(dir / "extras.db"), (Lines{"thumbs.db", "", "notes.txt"}));
  EXPECT_EQ(LoadSkipList(dir / "missing.db"), Lines{});
  EXPECT_EQ(LoadSkipList(dir.path()), Lines{});  // a folder, not a file
}

}  // namespace
}  // namespace tarnwick
