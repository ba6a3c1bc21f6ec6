#include "ticker/ticker_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

const TickerItem kNewsOne{"News one", "http://news.example/one", false};
const TickerItem kAlert{"Alert", "", true};
const TickerItem kPause{" ", "", false};

// Header, marker line, an item with blanks in front and a link, a highlighted item without
// a link, then `blankLines` blank lines; every line ended with `end`.
std::string SampleText(int blankLines, const std::string& end = "\r\n") {
  std::string text = "Tarnwick news feed" + end + "---'STARTS HERE'---" + end +
                     "  News one^http://news.example/one" + end + "$Alert^" + end;
  for (int i = 0; i < blankLines; ++i) text += end;
  return text;
}

TEST(TickerTextTest, SixLineFileGivesBothItemsAndThePause) {
  const auto items = ParseTickerText(SampleText(2));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0], kNewsOne);
  EXPECT_TRUE(items[0].HasLink());
  EXPECT_EQ(items[1], kAlert);
  EXPECT_FALSE(items[1].HasLink());
  EXPECT_EQ(items[2], kPause);
  EXPECT_FALSE(items[2].HasLink());
}

TEST(TickerTextTest, ClosingLineIsNeverAnItem) {
  // One blank line at the end: the Alert line stands before the last line.
  EXPECT_EQ(ParseTickerText(SampleText(1)), (std::vector<TickerItem>{kNewsOne, kPause}));
  // No blank line: the Alert line is the last line, with or without a final line end.
  EXPECT_EQ(ParseTickerText(SampleText(0)), (std::vector<TickerItem>{kNewsOne, kPause}));
  std::string unterminated = SampleText(0);
  unterminated.resize(unterminated.size() - 2);
  EXPECT_EQ(ParseTickerText(unterminated), (std::vector<TickerItem>{kNewsOne, kPause}));
  // A closing line that is not blank protects the last real item.
  EXPECT_EQ(ParseTickerText(SampleText(0) + "end of feed\r\n"),
            (std::vector<TickerItem>{kNewsOne, kAlert, kPause}));
}

TEST(TickerTextTest, WithoutStartMarkerOnlyThePauseRemains) {
  EXPECT_EQ(ParseTickerText("News one^http://news.example/one\r\n$Alert^\r\n\r\n"),
            (std::vector<TickerItem>{kPause}));
  // The marker needs both apostrophes.
  EXPECT_EQ(ParseTickerText("-Starts here-\r\nNews^\r\nMore^\r\n\r\n"),
            (std::vector<TickerItem>{kPause}));
  EXPECT_EQ(ParseTickerText(""), (std::vector<TickerItem>{kPause}));
  // A marker on the last line leaves nothing to show, not the lines above it.
  EXPECT_EQ(ParseTickerText("Header^\r\nItem^\r\n'Starts here'\r\n"),
            (std::vector<TickerItem>{kPause}));
}

TEST(TickerTextTest, CrAndLfLineEndsReadLikeCrLf) {
  const auto expected = ParseTickerText(SampleText(2));
  EXPECT_EQ(ParseTickerText(SampleText(2, "\r")), expected);
  // LF alone: the header still stays hidden.
  EXPECT_EQ(ParseTickerText(SampleText(2, "\n")), expected);
  EXPECT_EQ(ParseTickerText(SampleText(1, "\n")), (std::vector<TickerItem>{kNewsOne, kPause}));
  EXPECT_EQ(ParseTickerText("Header\n'starts here'\r\nOne^\rTwo^\nThree^\r\n\n\r"),
            (std::vector<TickerItem>{
                {"One", "", false}, {"Two", "", false}, {"Three", "", false}, kPause}));
}

TEST(TickerTextTest, MarkerRulesAndBlankLinesInside) {
  const std::string text =
      "Head\r\nxx 'sTaRtS hErE' xx\r\n\r\nOne^a\r\n   \r\nAgain 'Starts here'^b\r\nTwo^c\r\n"
      "\r\n\r\n";
  EXPECT_EQ(TickerItemLines(text),
            (std::vector<std::string>{"One^a", "Again 'Starts here'^b", "Two^c"}));
}

TEST(TickerTextTest, ItemLineSplitsAtFirstCaret) {
  EXPECT_EQ(ParseTickerItem("Two ^ carets^here"), (TickerItem{"Two ", " carets^here", false}));
  EXPECT_EQ(ParseTickerItem("$^"), (TickerItem{"", "", true}));
  EXPECT_EQ(ParseTickerItem("$$Money^x"), (TickerItem{"$Money", "x", true}));
  EXPECT_EQ(ParseTickerItem("Costs $5^x"), (TickerItem{"Costs $5", "x", false}));
  // A line without a caret shows whole and links nowhere.
  EXPECT_EQ(ParseTickerItem("No caret"), (TickerItem{"No caret", "", false}));
  EXPECT_FALSE(ParseTickerItem("Blank link^   ").HasLink());
  EXPECT_TRUE(ParseTickerItem("Link^ x ").HasLink());
}

TEST(TickerTextTest, SplitLinesKeepsInnerBlankLinesOnly) {
  EXPECT_EQ(SplitTickerLines(""), std::vector<std::string>{});
  EXPECT_EQ(SplitTickerLines("a\r\n"), std::vector<std::string>{"a"});
  EXPECT_EQ(SplitTickerLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(SplitTickerLines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitTickerLines("a\r\rb\r"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TickerTextTest, LoadsTickerFileFromDisk) {
  testing::TempDir folder;
  const std::string path = TickerFilePath(folder.path());
  EXPECT_EQ(path, (folder / "ticker.db"));
  EXPECT_EQ(TickerFilePath(folder.path() + "/"), path);

  EXPECT_FALSE(LoadTickerFile(SystemFileSystem(), path).has_value());

  testing::WriteFile(folder / "ticker.db", SampleText(2));
  const auto items = LoadTickerFile(SystemFileSystem(), path);
  ASSERT_TRUE(items.has_value());
  EXPECT_EQ(*items, (std::vector<TickerItem>{kNewsOne, kAlert, kPause}));

  testing::WriteFile(folder / "ticker.db", "");
  EXPECT_EQ(LoadTickerFile(SystemFileSystem(), path), (std::vector<TickerItem>{kPause}));

  // Something that exists but cannot be read as a file shows the pause alone.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ(LoadTickerFile(SystemFileSystem(), path), (std::vector<TickerItem>{kPause}));
}

}  // namespace
}  // namespace tarnwick
