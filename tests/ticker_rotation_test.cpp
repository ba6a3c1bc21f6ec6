#include "ticker/ticker_rotation.h"

#include <gtest/gtest.h>

#include <vector>

#include "ticker/main_timer_schedule.h"

namespace tarnwick {
namespace {

const TickerItem kNewsOne{"News one", "http://news.example/one", false};
const TickerItem kAlert{"Alert", "", true};

void ScrollToRest(TickerRotation& rotation) {
  for (int i = 0; i < 100 && rotation.TickerTimerTick(); ++i) {
  }
}

TEST(TickerRotationTest, ItemScrollsInBelowTheBoxAndRestsAtForty) {
  TickerRotation rotation;
  rotation.LoadItems({kNewsOne});
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.Label(0).top, 360);
  EXPECT_EQ(rotation.Label(1).top, 0);
  for (int i = 1; i <= 12; ++i) EXPECT_TRUE(rotation.TickerTimerTick()) << "tick " << i;
  EXPECT_FALSE(rotation.TickerTimerTick());  // 13th tick: 35 is set to 40
  EXPECT_EQ(rotation.Label(0).top, 40);
  EXPECT_EQ(rotation.Label(1).top, -325);
  EXPECT_FALSE(rotation.TickerTimerTick());  // stopped: nothing moves
  EXPECT_EQ(rotation.Label(0).top, 40);
}

TEST(TickerRotationTest, CyclesItemsThenPauseAndOnlyTheCurrentLabelLinks) {
  TickerRotation rotation;
  rotation.LoadItems({kNewsOne, kAlert, ParseTickerItem(kPauseItem)});
  std::vector<std::string> shown;
  for (int i = 0; i < 4; ++i) {
    rotation.ShowNextTickerItem();
    shown.push_back(rotation.Label(0).caption);
    if (i == 0) {
      EXPECT_TRUE(rotation.Label(0).underlined);
      EXPECT_EQ(rotation.ClickTarget(0), kNewsOne.link);
    }
    ScrollToRest(rotation);
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"News one", "Alert", " ", "News one"}));

  // A change from News one to the Alert, caught mid-scroll.
  rotation.ShowNextTickerItem();
  rotation.TickerTimerTick();
  EXPECT_EQ(rotation.Label(1).caption, "News one");  // outgoing: caption and colour move over
  EXPECT_EQ(rotation.Label(1).colour, kTickerNormalColour);
  EXPECT_FALSE(rotation.Label(1).underlined);
  EXPECT_EQ(rotation.Label(0).colour, kTickerHighlightColour);
  EXPECT_FALSE(rotation.Label(0).underlined);
  EXPECT_EQ(rotation.ClickTarget(0), std::nullopt);
  rotation.ShowNextTickerItem();  // the Alert goes out still red
  EXPECT_EQ(rotation.Label(1).colour, kTickerHighlightColour);

  rotation.LoadItems({ParseTickerItem("Padded^  http://news.example/p  ")});
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.ClickTarget(0), "http://news.example/p");
  EXPECT_EQ(rotation.ClickTarget(1), std::nullopt);
}

TEST(TickerRotationTest, ReloadRestartsAtFirstItemAndEmptyListShowsBlank) {
  TickerRotation rotation(3000, 300);
  rotation.LoadItems({kNewsOne, kAlert, kNewsOne});
  rotation.ShowNextTickerItem();
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.Label(0).top, 310);  // label height plus the gap
  rotation.LoadItems({kAlert, kNewsOne});
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.Label(0).caption, "Alert");

  // No ticker file: the list empties but the position stays; the box shows a blank.
  rotation.ShowNextTickerItem();
  rotation.ClearItems();
  rotation.ShowNextTickerItem();
  EXPECT_EQ(rotation.Label(0).caption, "");
  EXPECT_EQ(rotation.ClickTarget(0), std::nullopt);
}

TEST(MainTimerScheduleTest, ItemsFromFourthTickDailyCheckAt61ThenEvery60) {
  MainTimerSchedule schedule;
  std::vector<int> itemTicks;
  std::vector<int> checkTicks;
  for (int tick = 1; tick <= 190; ++tick) {
    if (tick == 5) {
      EXPECT_TRUE(schedule.Tick(true).closeWindow);  // counts nothing
    }
    const MainTimerPlan plan = schedule.Tick(false);
    if (plan.showNextItem) itemTicks.push_back(tick);
    if (plan.dailyCheck) checkTicks.push_back(tick);
  }
  EXPECT_EQ(std::vector<int>(itemTicks.begin(), itemTicks.begin() + 3),
            (std::vector<int>{4, 7, 10}));
  EXPECT_EQ(itemTicks.size(), 63u);
  EXPECT_EQ(checkTicks, (std::vector<int>{61, 121, 181}));
}

}  // namespace
}  // namespace tarnwick
