#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "ticker/main_timer_schedule.h"
#include "ticker/ticker_feed.h"
#include "ticker/ticker_rotation.h"

namespace tarnwick {

// The platform services the ticker needs; the window implements them.
class TickerPlatform {
 public:
  virtual ~TickerPlatform() = default;
  // Whether the computer has an Internet connection now.
  virtual bool IsConnected() = 0;
  // The body of an HTTP GET, waited for; "" when nothing could be fetched (no answer, time-out,
  // an error status).
  virtual std::string FetchDocument(const std::string& address) = 0;
  // Today's date; the local clock unless a test sets another day.
  virtual CalendarDay Today() { return LocalToday(); }
};

// What one main-timer tick did, for the window to act on.
struct MainTimerOutcome {
  bool closeWindow = false;  // the close request was seen: close the window; nothing else ran
  bool itemShown = false;    // a new item came in: start the 100 ms scroll timer
  std::optional<TickerUpdate> update;  // the daily check fetched, with this result
  bool isOnline = false;               // the connection state now: enables the "update now" button
};

// The news ticker: its stored text, the rotation of items and the main timer. Everything runs
// on the caller's thread; a fetch blocks inside the platform.
class NewsTicker {
 public:
  NewsTicker(TickerPlatform& platform, TickerFiles files, FileSystem& fs = SystemFileSystem(),
             std::string host = kTickerHost, std::string version = kProgramVersion);

  // Reads ticker.db into the item list (at start-up and after every download).
  void LoadTicker();

  // Fetches the ticker text now (the "update now" button and the daily check). Off-line it
  // does nothing; an empty answer writes nothing; a stored text is loaded at once.
  TickerUpdate GetNewTickerText();

  // One tick of the 1000 ms main timer.
  MainTimerOutcome MainTimerTick(bool exitRequested);

  // One tick of the 100 ms scroll timer; false when the timer is to stop.
  bool TickerTimerTick() { return rotation_.TickerTimerTick(); }

  // The address to open for a click on label index, if any.
  std::optional<std::string> LabelClick(int index) const { return rotation_.ClickTarget(index); }

  const TickerRotation& Rotation() const { return rotation_; }
  const MainTimerSchedule& Schedule() const { return schedule_; }
  bool IsOnline() const { return isOnline_; }
  const std::string& FeedAddress() const { return feedAddress_; }

 private:
  TickerPlatform& platform_;
  TickerFiles files_;
  FileSystem& fs_;
  std::string feedAddress_;
  TickerRotation rotation_;
  MainTimerSchedule schedule_;
  bool isOnline_ = false;
};

}  // namespace tarnwick
