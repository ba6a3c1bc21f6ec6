#include "ticker/news_ticker.h"

#include <utility>

namespace tarnwick {

NewsTicker::NewsTicker(TickerPlatform& platform, TickerFiles files, FileSystem& fs,
                       std::string host, std::string version)
    : platform_(platform),
      files_(std::move(files)),
      fs_(fs),
      feedAddress_(TickerFeedAddress(host, version)) {}

NewsTicker::~NewsTicker() = default;

void NewsTicker::LoadTicker() {
  if (auto items = LoadTickerFile(fs_, files_.tickerFile)) {
    rotation_.LoadItems(std::move(*items));
  } else {
    rotation_.ClearItems();
  }
}

TickerUpdate NewsTicker::GetNewTickerText() {
  if (!isOnline_) return TickerUpdate::kOffline;
  if (fetching_) return TickerUpdate::kFetching;
  fetching_ = true;
  lastResult_.reset();
  const std::weak_ptr<bool> alive = alive_;
  platform_.StartFetch(feedAddress_, [this, alive](const std::string& body) {
    if (!alive.expired()) FetchEnded(body);
  });
  return fetching_ ? TickerUpdate::kFetching : lastResult_.value_or(TickerUpdate::kNothingFetched);
}

void NewsTicker::FetchEnded(const std::string& body) {
  if (!fetching_) return;
  fetching_ = false;
  const TickerUpdate result = StoreTickerText(fs_, files_, body, platform_.Today());
  // A text that reached ticker.db is shown even when its day could not be recorded.
  if (result == TickerUpdate::kStored || result == TickerUpdate::kDateNotWritten) LoadTicker();
  lastResult_ = result;
  if (updateHandler_) updateHandler_(result);
}

MainTimerOutcome NewsTicker::MainTimerTick(bool exitRequested) {
  MainTimerOutcome outcome;
  const MainTimerPlan plan = schedule_.Tick(exitRequested);
  if (plan.closeWindow) {
    outcome.closeWindow = true;
    outcome.isOnline = isOnline_;
    return outcome;
  }
  if (plan.showNextItem) {
    rotation_.ShowNextTickerItem();
    outcome.itemShown = true;
  }
  // The check goes by the connection state of the previous tick; the query comes after it.
  if (plan.dailyCheck && !fetching_ &&
      DailyCheckFetches(ReadTickerDate(fs_, files_.settingsFile), platform_.Today(), isOnline_)) {
    outcome.update = GetNewTickerText();
  }
  isOnline_ = platform_.IsConnected();
  outcome.isOnline = isOnline_;
  return outcome;
}

}  // namespace tarnwick
