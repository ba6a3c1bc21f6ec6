#include "ticker/ticker_feed.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "ticker/news_ticker.h"

namespace tarnwick {
namespace {

constexpr CalendarDay kToday{2024, 3, 7};
const std::string kFeed =
    "Tarnwick news\r\n-'Starts here'-\r\nFirst^http://news.example/1\r\n$Second^\r\n\r\n\r\n";

TEST(TickerFeedTest, FeedAddressAndDailyDecision) {
  EXPECT_EQ(TickerFeedAddress(kTickerHost, kProgramVersion),
            "http://ticker.tarnwick.example/qzfeed100.txt");
  EXPECT_EQ(TickerFeedAddress("127.0.0.1:8080", "2.1.13"), "http://127.0.0.1:8080/qzfeed2113.txt");
  EXPECT_EQ(TickerFeedAddress("h.example", "3.04"), "http://h.example/qzfeed340.txt");

  EXPECT_EQ(TickerDateText({2025, 1, 31}), " 20250131");
  EXPECT_FALSE(DailyCheckFetches(TickerDateText(kToday), kToday, true));
  EXPECT_TRUE(DailyCheckFetches("20240306", kToday, true));
  EXPECT_TRUE(DailyCheckFetches("", kToday, true));
  EXPECT_FALSE(DailyCheckFetches("20240306", kToday, false));
}

TEST(TickerFeedTest, StoringWritesTextAsReceivedAndTheDayOnlyAfterIt) {
  testing::TempDir folder;
  const TickerFiles files{folder / "ticker.db", folder / "settings.db"};
  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, "", kToday), TickerUpdate::kNothingFetched);
  EXPECT_FALSE(testing::Exists(files.tickerFile));
  EXPECT_FALSE(testing::Exists(files.settingsFile));

  testing::WriteFile(files.settingsFile, "[Main]\r\nCheckForChanges=1\r\n");
  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, kFeed, kToday), TickerUpdate::kStored);
  EXPECT_EQ(testing::ReadFile(files.tickerFile), kFeed);
  EXPECT_EQ(testing::ReadFile(files.settingsFile),
            "[Main]\r\nCheckForChanges=1\r\n[Ticker]\r\nTickerDate= 20240307\r\n");

  // ticker.db cannot be replaced: the day stays as it was, so the next check tries again.
  std::filesystem::remove(files.tickerFile);
  std::filesystem::create_directory(files.tickerFile);
  std::string error;
  EXPECT_EQ(StoreTickerText(SystemFileSystem(), files, kFeed, {2024, 3, 8}, &error),
            TickerUpdate::kFileNotWritten);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "20240307");
}

// The platform as a test drives it: a connection switch, answers in order (at once, or held
// back until the test delivers them), a fixed day.
class ScriptedPlatform : public TickerPlatform {
 public:
  bool IsConnected() override { return connected; }
  void StartFetch(const std::string& address, FetchDone done) override {
    fetched.push_back(address);
    if (holdAnswers) {
      held.push_back(std::move(done));
      return;
    }
    std::string answer = answers.empty() ? "" : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    done(answer);
  }
  CalendarDay Today() override { return today; }

  bool connected = true;
  bool holdAnswers = false;
  std::vector<FetchDone> held;
  std::vector<std::string> answers;
  std::vector<std::string> fetched;
  CalendarDay today = kToday;
};

class NewsTickerTest : public ::testing::Test {
 protected:
  // Runs main-timer ticks up to and including `last`; returns the ticks that fetched.
  std::vector<int> RunUntil(NewsTicker& ticker, int last) {
    std::vector<int> fetching;
    while (tick_ < last) {
      ++tick_;
      if (ticker.MainTimerTick(false).update) fetching.push_back(tick_);
    }
    return fetching;
  }

  testing::TempDir folder;
  TickerFiles files{folder / "ticker.db", folder / "settings.db"};
  ScriptedPlatform platform;
  int tick_ = 0;
};

TEST_F(NewsTickerTest, OfflineNeverFetchesAndCheckUsesPreviousTickState) {
  StoreTickerText(SystemFileSystem(), files, "x", {2024, 3, 6});
  NewsTicker ticker(platform, files, SystemFileSystem(), "127.0.0.1:9");
  EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kOffline);  // state unknown before a tick
  platform.connected = false;
  EXPECT_EQ(RunUntil(ticker, 245), std::vector<int>{});
  EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kOffline);
  EXPECT_TRUE(platform.fetched.empty());

  platform.connected = true;
  EXPECT_EQ(RunUntil(ticker, 301), std::vector<int>{301});
  EXPECT_EQ(platform.fetched, std::vector<std::string>{"http://127.0.0.1:9/qzfeed100.txt"});
}

TEST_F(NewsTickerTest, ItemsTurnWithTheMainTimerAndACloseRequestStopsTheTick) {
  testing::WriteFile(files.tickerFile, kFeed);
  NewsTicker ticker(platform, files);
  ticker.LoadTicker();
  EXPECT_EQ(RunUntil(ticker, 9), std::vector<int>{});
  const MainTimerOutcome tenth = ticker.MainTimerTick(false);
  EXPECT_TRUE(tenth.itemShown);
  EXPECT_TRUE(tenth.isOnline);
  // Items at ticks 4, 7 and 10: First, Second, then the pause.
  EXPECT_EQ(ticker.Rotation().Label(0).caption, " ");

  const MainTimerOutcome closing = ticker.MainTimerTick(true);
  EXPECT_TRUE(closing.closeWindow);
  EXPECT_FALSE(closing.itemShown);

  platform.answers = {"x\r\n'Starts here'\r\nNew^http://news.example/n\r\n\r\n\r\n"};
  EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kStored);
  EXPECT_EQ(ticker.Rotation().Items()[0].caption, "New");
}

// A stale day fetches at tick 61; the answer comes when it comes, and nothing waits for it.
TEST_F(NewsTickerTest, AStaleDayFetchesOnceAndRetriesAMinuteAfterAnEmptyAnswer) {
  StoreTickerText(SystemFileSystem(), files, "old\r\n'Starts here'\r\nOld^\r\n\r\n\r\n",
                  {2024, 3, 6});
  platform.holdAnswers = true;
  std::vector<TickerUpdate> heard;
  {
    NewsTicker ticker(platform, files);
    ticker.SetUpdateHandler([&](TickerUpdate result) { heard.push_back(result); });
    ticker.LoadTicker();
    EXPECT_EQ(RunUntil(ticker, 61), std::vector<int>{61});
    ASSERT_TRUE(ticker.Fetching());
    EXPECT_EQ(ticker.Rotation().Items()[0].caption, "Old");
    // Meanwhile neither the button nor the next daily check starts a second fetch.
    EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kFetching);
    EXPECT_EQ(RunUntil(ticker, 125), std::vector<int>{});
    EXPECT_EQ(platform.fetched,
              std::vector<std::string>{"http://ticker.tarnwick.example/qzfeed100.txt"});

    platform.held[0]("");
    EXPECT_EQ(heard, std::vector<TickerUpdate>{TickerUpdate::kNothingFetched});
    EXPECT_EQ(ReadTickerDate(SystemFileSystem(), files.settingsFile), "20240306");
    EXPECT_EQ(RunUntil(ticker, 181), std::vector<int>{181});
    platform.held[1](kFeed);
    EXPECT_FALSE(ticker.Fetching());
    EXPECT_EQ(heard.back(), TickerUpdate::kStored);
    EXPECT_EQ(testing::ReadFile(files.tickerFile), kFeed);
    EXPECT_EQ(ticker.Rotation().Items(), ParseTickerText(kFeed));
    // A second delivery of the same answer changes nothing.
    platform.held[1]("x\r\n'Starts here'\r\nOther^\r\n\r\n\r\n");
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(RunUntil(ticker, 250), std::vector<int>{});  // today is stored now

    // The button asks again; this answer comes after the ticker is gone.
    EXPECT_EQ(ticker.GetNewTickerText(), TickerUpdate::kFetching);
  }
  ASSERT_EQ(platform.held.size(), 3u);
  platform.held[2]("x\r\n'Starts here'\r\nToo late^\r\n\r\n\r\n");
  EXPECT_EQ(testing::ReadFile(files.tickerFile), kFeed);
  EXPECT_EQ(heard.size(), 2u);
}

}  // namespace
}  // namespace tarnwick
