#include "ticker/main_timer_schedule.h"

namespace tarnwick {

MainTimerPlan MainTimerSchedule::Tick(bool exitRequested) {
  MainTimerPlan plan;
  if (exitRequested) {
    plan.closeWindow = true;
    return plan;
  }
  if (tickerTicks_ >= kTicksPerTickerItem) {
    plan.showNextItem = true;
    tickerTicks_ = 0;
  }
  ++tickerTicks_;
  if (checkTicks_ >= kTicksPerDailyCheck) {
    plan.dailyCheck = true;
    checkTicks_ = 0;
  }
  ++checkTicks_;
  return plan;
}

}  // namespace tarnwick
