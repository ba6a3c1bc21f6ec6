#include "ticker/ticker_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Items = std::vector<TickerItem>;
const TickerItem kNewsOne{"News one", "http://news.example/one", false};
const TickerItem kAlert{"Alert", "", true};
const TickerItem kPause{" ", "", false};

// Header, marker, a linked item with leading blanks, a highlighted item without a link, then
// `blankLines` blank lines; every line ended with `end`.
std::string SampleText(int blankLines, const std::string& end = "\r\n") {
  std::string text = "Tarnwick news" + end + "---'STARTS HERE'---" + end +
                     "  News one^http://news.example/one" + end + "$Alert^" + end;
  for (int i = 0; i < blankLines; ++i) text += end;
  return text;
}

TEST(TickerTextTest, HeaderMarkerAndTheClosingLineRuleWhateverTheLineEnds) {
  const Items all{kNewsOne, kAlert, kPause};
  const Items closed{kNewsOne, kPause};  // the Alert line is the closing line, never an item
  const std::pair<std::string, Items> cases[] = {
      {SampleText(2), all},
      {SampleText(1), closed},
      {SampleText(0), closed},
      {SampleText(0) + "end\r\n", all},
      {SampleText(2, "\r"), all},
      {SampleText(2, "\n"), all},
      {SampleText(1, "\n"), closed},
      // Without the start marker, or with it on the last line, only the pause remains.
      {"News one^x\r\n$Alert^\r\n\r\n\r\n", {kPause}},
      {"-Starts here-\r\nNews^\r\nMore^\r\n\r\n", {kPause}},
      {"", {kPause}},
      {"Header^\r\nItem^\r\n'Starts here'\r\n", {kPause}},
  };
  for (const auto& [text, items] : cases) EXPECT_EQ(ParseTickerText(text), items) << text;
  EXPECT_EQ(SplitTickerLines("a\n\rb\r\rc\r\n"), (std::vector<std::string>{"a", "", "b", "", "c"}));
}

TEST(TickerTextTest, MarkerAnyCaseAnywhereAndLaterMarkersAreItems) {
  const std::string text =
      "Head\r\nxx 'sTaRtS hErE' xx\r\n\r\nOne^a\r\n   \r\nAgain 'Starts here'^b\r\nTwo^c\r\n"
      "\r\n\r\n";
  EXPECT_EQ(TickerItemLines(text),
            (std::vector<std::string>{"One^a", "Again 'Starts here'^b", "Two^c"}));
}

TEST(TickerTextTest, ItemLineSplitsAtFirstCaret) {
  EXPECT_EQ(ParseTickerItem("Two ^ carets^here"), (TickerItem{"Two ", " carets^here", false}));
  EXPECT_EQ(ParseTickerItem("$$Money^x"), (TickerItem{"$Money", "x", true}));
  EXPECT_EQ(ParseTickerItem("Costs $5^x"), (TickerItem{"Costs $5", "x", false}));
  EXPECT_EQ(ParseTickerItem("No caret"), (TickerItem{"No caret", "", false}));
  EXPECT_FALSE(ParseTickerItem("Blank link^   ").HasLink());
}

TEST(TickerTextTest, LoadsTickerFileFromDisk) {
  testing::TempDir folder;
  const std::string path = TickerFilePath(folder.path());
  EXPECT_EQ(path, folder / "ticker.db");
  EXPECT_FALSE(LoadTickerFile(SystemFileSystem(), path).has_value());

  testing::WriteFile(path, SampleText(2));
  EXPECT_EQ(LoadTickerFile(SystemFileSystem(), path), (Items{kNewsOne, kAlert, kPause}));

  // Something there that cannot be read as a file shows the pause alone.
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  EXPECT_EQ(LoadTickerFile(SystemFileSystem(), path), Items{kPause});
}

}  // namespace
}  // namespace tarnwick
