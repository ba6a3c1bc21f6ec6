#include "ticker/ticker_feed.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/ini_editor.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "ticker/news_ticker.h"

namespace tarnwick {
namespace {

constexpr CalendarDay kToday{2024, 3, 7};
const std::string kFeed =
    "Tarnwick news\r\n-'Starts here'-\r\nFirst^http://news.example/1\r\n$Second^\r\n\r\n\r\n";

TEST(TickerFeedTest, FeedAddressCarriesTheVersionDigits) {
  EXPECT_EQ(TickerFeedAddress("ticker.tarnwick.example", "1.0.0"),
            "http://ticker.tarnwick.example/qzfeed100.txt");
  EXPECT_EQ(TickerFeedAddress("127.0.0.1:8080", "2.1.13"), "http://127.0.0.1:8080/qzfeed2113.txt");
  EXPECT_EQ(TickerFeedAddress("h.example", "3.04"), "http://h.example/qzfeed340.txt");
  EXPECT_EQ(TickerFeedAddress("h.example", "1.x.0"), "http://h.example/qzfeed100.txt");
  EXPECT_EQ(TickerFeedAddress(kTickerHost, kProgramVersion),
            "http://ticker.tarnwick.example/qzfeed100.txt");
}

TEST(TickerFeedTest, DateTextsAndDailyDecision) {
  EXPECT_EQ(FormatYyyymmdd(kToday), "20240307");
  EXPECT_EQ(TickerDateText({2025, 12, 31}), " 20251231");

  EXPECT_FALSE(DailyCheckFetches(" 20240307", kToday, true));
  EXPECT_FALSE(DailyCheckFetches("20240307  ", kToday, true));
  EXPECT_TRUE(DailyCheckFetches("20240306", kToday, true));
  EXPECT_TRUE(DailyCheckFetches("", kToday, true));
  EXPECT_TRUE(DailyCheckFetches("2024030", kToday, true));
  EXPECT_FALSE(DailyCheckFetches("20240306", kToday, false));

  const CalendarDay local = LocalToday();
  EXPECT_GE(local.year, 2024);
  EXPECT_TRUE(local.month >= 1 && local.month <= 12);
  EXPECT_TRUE(local.day >= 1 && local.day <= 31);
}

TEST(TickerFeedTest, StoringWritesTextAsReceivedAndTheDay) {
  testing::TempDir folder;
  const TickerFiles files{(folder / "ticker.db"), (folder / "settings.db")};
  testing::WriteFile(folder / "settings.db", "[Main]\r\nCheckForChanges=1\r\n");

  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, kFeed, kToday), TickerUpdate::kStored);
  EXPECT_EQ(testing::ReadFile(folder / "ticker.db"), kFeed);
  EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "20240307");
  // Read back under the other spelling, as the daily check names the key.
  IniEditor editor;
  editor.IniFile = files.settingsFile;
  editor.IniSection = kTickerDateSection;
  EXPECT_EQ(editor.ReadIniValue("Tickerdate", "none"), "20240307");
  editor.IniSection = "Main";
  EXPECT_EQ(editor.ReadIniValue("CheckForChanges", ""), "1");

  // A second download replaces the whole file.
  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, "short", {2024, 3, 8}),
            TickerUpdate::kStored);
  EXPECT_EQ(testing::ReadFile(folder / "ticker.db"), "short");
  EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "20240308");
}

TEST(TickerFeedTest, EmptyOrUnwritableTextRecordsNoDay) {
  testing::TempDir folder;
  const TickerFiles files{(folder / "ticker.db"), (folder / "settings.db")};
  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, "", kToday), TickerUpdate::kNothingFetched);
  EXPECT_FALSE(testing::Exists(folder / "ticker.db"));
  EXPECT_FALSE(testing::Exists(folder / "settings.db"));

  // ticker.db cannot be replaced: the day stays unrecorded, so the next check tries again.
  std::filesystem::create_directory(files.tickerFile);
  std::string error;
  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, kFeed, kToday, &error),
            TickerUpdate::kFileNotWritten);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "");
}

// The platform as a test drives it: a connection switch, answers in order, a fixed day.
class ScriptedPlatform : public TickerPlatform {
 public:
  bool IsConnected() override {
    ++connectionQueries;
    return connected;
  }
  std::string FetchDocument(const std::string& address) override {
    fetched.push_back(address);
    if (answers.empty()) return "";
    std::string answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  CalendarDay Today() override { return today; }

  bool connected = true;
  std::vector<std::string> answers;
  std::vector<std::string> fetched;
  CalendarDay today = kToday;
  int connectionQueries = 0;
};

class NewsTickerTest : public ::testing::Test {
 protected:
  void StoreDay(const std::string& value) {
    IniEditor editor;
    editor.IniFile = files.settingsFile;
    editor.IniSection = kTickerDateSection;
    ASSERT_NE(editor.WriteIniValue(kTickerDateKey, value), 0);
  }
  // Runs main-timer ticks up to and including `last`; returns the ticks that fetched.
  std::vector<int> RunUntil(NewsTicker& ticker, int& tick, int last) {
    std::vector<int> fetching;
    for (++tick; tick <= last; ++tick) {
      if (ticker.MainTimerTick(false).update) fetching.push_back(tick);
    }
    --tick;
    return fetching;
  }

  testing::TempDir folder;
  TickerFiles files{(folder / "ticker.db"), (folder / "settings.db")};
  ScriptedPlatform platform;
};

TEST_F(NewsTickerTest, StaleDayFetchesAt61AndRetriesAMinuteLaterAfterEmptyAnswer) {
  StoreDay(" 20240306");
  testing::WriteFile(folder / "ticker.db", "old\r\n'Starts here'\r\nOld item^\r\n\r\n\r\n");
  NewsTicker ticker(platform, files);
  ticker.LoadTicker();
  ASSERT_EQ(ticker.Rotation().Items().size(), 2u);

  int tick = 0;
  EXPECT_EQ(RunUntil(ticker, tick, 61), std::vector<int>{61});
  EXPECT_EQ(platform.fetched,
            std::vector<std::string>{"http://ticker.tarnwick.example/qzfeed100.txt"});
  EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "20240306");
  EXPECT_EQ(ticker.Rotation().Items()[0].caption, "Old item");

  platform.answers = {kFeed};
  EXPECT_EQ(RunUntil(ticker, tick, 121), std::vector<int>{121});
  EXPECT_EQ(testing::ReadFile(folder / "ticker.db"), kFeed);
  EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "20240307");
  EXPECT_EQ(ticker.Rotation().Items(),
            ParseTickerText(kFeed));  // reloaded, rotation back at the first item
  EXPECT_EQ(ticker.Rotation().TickerIndex(), 0u);

  // Today's day is stored now: later checks do not fetch.
  EXPECT_EQ(RunUntil(ticker, tick, 250), std::vector<int>{});
  EXPECT_EQ(platform.fetched.size(), 2u);
}

TEST_F(NewsTickerTest, TodayOrOfflineMeansNoFetch) {
  StoreDay(TickerDateText(kToday));
  NewsTicker ticker(platform, files, SystemFileSystem(), "127.0.0.1:9");
  int tick = 0;
  EXPECT_EQ(RunUntil(ticker, tick, 125), std::vector<int>{});

  platform.today = {2024, 3, 8};  // past midnight
  platform.connected = false;
  EXPECT_EQ(RunUntil(ticker, tick, 245), std::vector<int>{});
  EXPECT_TRUE(platform.fetched.empty());
  EXPECT_FALSE(ticker.IsOnline());
  EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kOffline);

  // Back on-line: the check goes by the state seen one tick earlier.
  platform.connected = true;
  EXPECT_EQ(RunUntil(ticker, tick, 301), std::vector<int>{301});
  EXPECT_EQ(platform.fetched, std::vector<std::string>{"http://127.0.0.1:9/qzfeed100.txt"});
}

TEST_F(NewsTickerTest, StartUpShowsFirstItemAtFourthTickAndCloseRequestStopsAll) {
  testing::WriteFile(folder / "ticker.db", kFeed);
  NewsTicker ticker(platform, files);
  ticker.LoadTicker();
  EXPECT_FALSE(ticker.IsOnline());  // unknown until the first tick asks
  EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kOffline);

  std::vector<int> shown;
  for (int tick = 1; tick <= 10; ++tick) {
    const MainTimerOutcome outcome = ticker.MainTimerTick(false);
    EXPECT_TRUE(outcome.isOnline);
    if (outcome.itemShown) {
      shown.push_back(tick);
      EXPECT_TRUE(ticker.Rotation().TickerTimerRunning());
      while (ticker.TickerTimerTick()) {
      }
    }
  }
  EXPECT_EQ(shown, (std::vector<int>{4, 7, 10}));
  EXPECT_EQ(ticker.Rotation().Label(0).caption, " ");  // First, Second, then the pause
  EXPECT_EQ(platform.connectionQueries, 10);

  const MainTimerOutcome closing = ticker.MainTimerTick(true);
  EXPECT_TRUE(closing.closeWindow);
  EXPECT_FALSE(closing.itemShown);
  EXPECT_EQ(platform.connectionQueries, 10);

  // The button's fetch works once the connection is known.
  platform.answers = {"x\r\n'Starts here'\r\nNew^http://news.example/n\r\n\r\n\r\n"};
  EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kStored);
  EXPECT_EQ(ticker.Rotation().Items()[0].caption, "New");
  EXPECT_EQ(ticker.LabelClick(0), std::nullopt);  // still the pause on display
}

TEST_F(NewsTickerTest, MissingTickerFileLeavesBoxBlank) {
  NewsTicker ticker(platform, files);
  ticker.LoadTicker();
  EXPECT_TRUE(ticker.Rotation().Items().empty());
  for (int tick = 1; tick <= 7; ++tick) ticker.MainTimerTick(false);
  EXPECT_EQ(ticker.Rotation().Label(0).caption, "");
  EXPECT_EQ(ticker.LabelClick(0), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
