#pragma once

#include <cstdint>

namespace tarnwick {

inline constexpr int kMainTimerInterval = 1000;  // milliseconds
inline constexpr std::int32_t kTicksPerTickerItem = 3;
inline constexpr std::int16_t kTicksPerDailyCheck = 60;

// What one tick of the main timer is to do, in this order.
struct MainTimerPlan {
  bool closeWindow = false;   // the close request: nothing else happens in this tick
  bool showNextItem = false;  // then the next ticker item
  bool dailyCheck = false;    // then the daily check, before the connection query
};

// The main timer's counters. The first item comes at the fourth tick and then every third;
// the daily check at the 61st tick and then every 60th.
class MainTimerSchedule {
 public:
  MainTimerPlan Tick(bool exitRequested);


 private:
  std::int32_t tickerTicks_ = 0;  // ticks since the last item was shown
  std::int16_t checkTicks_ = 0;   // ticks since the last daily check
};

}  // namespace tarnwick
