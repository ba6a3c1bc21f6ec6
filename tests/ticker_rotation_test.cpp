#include "ticker/ticker_rotation.h"

#include <gtest/gtest.h>

#include <vector>

#include "ticker/main_timer_schedule.h"

namespace tarnwick {
namespace {

const TickerItem kNewsOne{"News one", "http://news.example/one", false};
const TickerItem kAlert{"Alert", "", true};

TickerRotation LoadedRotation() {
  TickerRotation rotation;
  rotation.LoadItems(ParseTickerText(
      "Head\r\n'Starts here'\r\n  News one^http://news.example/one\r\n$Alert^\r\n\r\n\r\n"));
  return rotation;
}

// Runs the scroll to its end and returns how many ticks it took.
int ScrollToRest(TickerRotation& rotation) {
  int ticks = 0;
  while (rotation.TickerTimerRunning() && ticks < 1000) {
    rotation.TickerTimerTick();
    ++ticks;
  }
  return ticks;
}

TEST(TickerRotationTest, ItemScrollsInBelowTheBoxAndRestsAtForty) {
  TickerRotation rotation = LoadedRotation();
  rotation.ShowNextTickerItem();
  EXPECT_TRUE(rotation.TickerTimerRunning());
  EXPECT_EQ(rotation.Label(0).top, 360);
  EXPECT_EQ(rotation.Label(1).top, 0);

  for (int i = 1; i <= 12; ++i) {
    EXPECT_TRUE(rotation.TickerTimerTick()) << "tick " << i;
    EXPECT_EQ(rotation.Label(0).top, 360 - 25 * i);
  }
  EXPECT_FALSE(rotation.TickerTimerTick());  // 13th tick: 35 is set to 40
  EXPECT_EQ(rotation.Label(0).top, 40);
  EXPECT_EQ(rotation.Label(1).top, -325);
  EXPECT_FALSE(rotation.TickerTimerRunning());

  // A stopped timer moves nothing.
  EXPECT_FALSE(rotation.TickerTimerTick());
  EXPECT_EQ(rotation.Label(0).top, 40);
}

TEST(TickerRotationTest, CyclesItemsThenPauseAndPassesCaptionToOutgoingLabel) {
  TickerRotation rotation = LoadedRotation();
  std::vector<std::string> shown;
  for (int i = 0; i < 4; ++i) {
    rotation.ShowNextTickerItem();
    ScrollToRest(rotation);
    shown.push_back(rotation.Label(0).caption);
    if (i == 0) {
      EXPECT_EQ(rotation.Label(0).colour, kTickerNormalColour);
      EXPECT_TRUE(rotation.Label(0).underlined);
      EXPECT_EQ(rotation.Label(0).tag, kNewsOne.link);
      EXPECT_EQ(rotation.ClickTarget(0), kNewsOne.link);
    }
    if (i == 1) {
      EXPECT_EQ(rotation.Label(0).colour, kTickerHighlightColour);
      EXPECT_FALSE(rotation.Label(0).underlined);
      EXPECT_EQ(rotation.ClickTarget(0), std::nullopt);
      // The outgoing label shows the previous item in its colour but never links.
      EXPECT_EQ(rotation.Label(1).caption, "News one");
      EXPECT_EQ(rotation.Label(1).colour, kTickerNormalColour);
      EXPECT_FALSE(rotation.Label(1).underlined);
    }
    if (i == 2) {
      EXPECT_EQ(rotation.Label(1).colour, kTickerHighlightColour);
    }
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"News one", "Alert", " ", "News one"}));
  EXPECT_EQ(rotation.TickerIndex(), 1u);
}

TEST(TickerRotationTest, ClickOnOutgoingLabelDuringChangeDoesNothing) {
  TickerRotation rotation = LoadedRotation();
  rotation.ShowNextTickerItem();  // News one comes in
  ScrollToRest(rotation);
  rotation.ShowNextTickerItem();  // News one goes out above the Alert, mid-scroll
  rotation.TickerTimerTick();
  EXPECT_EQ(rotation.Label(1).caption, "News one");
  EXPECT_EQ(rotation.ClickTarget(1), std::nullopt);
  EXPECT_EQ(rotation.ClickTarget(0), std::nullopt);

  TickerRotation padded;
  padded.LoadItems({ParseTickerItem("Padded^  http://news.example/p  ")});
  padded.ShowNextTickerItem();
  EXPECT_EQ(padded.ClickTarget(0), "http://news.example/p");
  EXPECT_EQ(padded.ClickTarget(1), std::nullopt);
}

TEST(TickerRotationTest, ReloadRestartsAtFirstItemAndMissingFileShowsNothing) {
  TickerRotation rotation(3000, 300);
  rotation.LoadItems({kNewsOne, kAlert, ParseTickerItem(kPauseItem)});
  rotation.ShowNextTickerItem();
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.TickerIndex(), 2u);
  EXPECT_EQ(rotation.Label(0).top, 310);  // label height plus the gap
  EXPECT_EQ(rotation.Label(0).width, 3000);

  rotation.LoadItems({kAlert});
  EXPECT_EQ(rotation.TickerIndex(), 0u);
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.Label(0).caption, "Alert");

  // No ticker file: the list empties, the position stays, and the box shows a blank.
  rotation.LoadItems({kNewsOne, kAlert, kNewsOne});
  rotation.ShowNextTickerItem();
  rotation.ShowNextTickerItem();
  rotation.ClearItems();
  EXPECT_EQ(rotation.TickerIndex(), 2u);
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.Label(0).caption, "");
  EXPECT_EQ(rotation.Label(0).tag, "");
  EXPECT_EQ(rotation.Label(1).caption, "Alert");
  EXPECT_FALSE(rotation.Label(0).underlined);
}

TEST(MainTimerScheduleTest, ItemsFromFourthTickDailyCheckAt61ThenEvery60) {
  MainTimerSchedule schedule;
  std::vector<int> itemTicks;
  std::vector<int> checkTicks;
  for (int tick = 1; tick <= 190; ++tick) {
    const MainTimerPlan plan = schedule.Tick(false);
    EXPECT_FALSE(plan.closeWindow);
    if (plan.showNextItem) itemTicks.push_back(tick);
    if (plan.dailyCheck) checkTicks.push_back(tick);
  }
  ASSERT_GE(itemTicks.size(), 3u);
  EXPECT_EQ(itemTicks[0], 4);
  EXPECT_EQ(itemTicks[1], 7);
  EXPECT_EQ(itemTicks.back(), 190);
  EXPECT_EQ(itemTicks.size(), 63u);
  EXPECT_EQ(checkTicks, (std::vector<int>{61, 121, 181}));
}

TEST(MainTimerScheduleTest, CloseRequestWinsAndStopsTheRestOfTheTick) {
  MainTimerSchedule schedule;
  for (int tick = 1; tick <= 3; ++tick) schedule.Tick(false);
  const MainTimerPlan plan = schedule.Tick(true);  // the item would be due now
  EXPECT_TRUE(plan.closeWindow);
  EXPECT_FALSE(plan.showNextItem);
  EXPECT_FALSE(plan.dailyCheck);
  EXPECT_EQ(schedule.TickerTicks(), 3);
  EXPECT_EQ(schedule.CheckTicks(), 3);
  EXPECT_TRUE(schedule.Tick(false).showNextItem);
}

}  // namespace
}  // namespace tarnwick
