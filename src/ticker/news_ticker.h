#pragma once

#include <functional>
#include <memory>
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
  // Receives the body of a fetch; "" when nothing could be fetched (no answer, time-out, an
  // error status).
  using FetchDone = std::function<void(const std::string& body)>;

  virtual ~TickerPlatform() = default;
  // Whether the computer has an Internet connection now.
  virtual bool IsConnected() = 0;
  // Starts an HTTP GET and returns without waiting for the answer: done runs once, later, on
  // the caller's thread (or before the call returns, if the platform knows the answer at once).
  virtual void StartFetch(const std::string& address, FetchDone done) = 0;
  // Today's date; the local clock unless a test sets another day.
  virtual CalendarDay Today() { return LocalToday(); }
};

// What one main-timer tick did, for the window to act on.
struct MainTimerOutcome {
  bool closeWindow = false;  // the close request was seen: close the window; nothing else ran
  bool itemShown = false;    // a new item came in: start the 100 ms scroll timer
  std::optional<TickerUpdate> update;  // the daily check fetched, with this result (or kFetching)
  bool isOnline = false;               // the connection state now: enables the "update now" button
};

// The news ticker: its stored text, the rotation of items and the main timer. Everything runs
// on the caller's thread; a fetch never waits there, its answer is dealt with when it comes.
class NewsTicker {
 public:
  NewsTicker(TickerPlatform& platform, TickerFiles files, FileSystem& fs = SystemFileSystem(),
             std::string host = kTickerHost, std::string version = kProgramVersion);
  ~NewsTicker();
  NewsTicker(const NewsTicker&) = delete;
  NewsTicker& operator=(const NewsTicker&) = delete;

  // Reads ticker.db into the item list (at start-up and after every download).
  void LoadTicker();

  // Fetches the ticker text (the "update now" button and the daily check). Off-line it does
  // nothing. Otherwise it returns kFetching while the answer is on its way, and starts no
  // second fetch meanwhile; when the answer comes, an empty one writes nothing and a stored
  // text is loaded at once, and the update handler hears the result. An answer that came at
  // once is dealt with before this returns, and its result is returned.
  TickerUpdate GetNewTickerText();
  // Told the result of every fetch once its answer has been dealt with.
  void SetUpdateHandler(std::function<void(TickerUpdate)> handler) {
    updateHandler_ = std::move(handler);
  }
  bool Fetching() const { return fetching_; }

  // One tick of the 1000 ms main timer.
  MainTimerOutcome MainTimerTick(bool exitRequested);

  // One tick of the 100 ms scroll timer; false when the timer is to stop.
  bool TickerTimerTick() { return rotation_.TickerTimerTick(); }

  // The address to open for a click on label index, if any.
  std::optional<std::string> LabelClick(int index) const { return rotation_.ClickTarget(index); }

  const TickerRotation& Rotation() const { return rotation_; }

 private:
  TickerPlatform& platform_;
  TickerFiles files_;
  FileSystem& fs_;
  std::string feedAddress_;
  TickerRotation rotation_;
  MainTimerSchedule schedule_;
  bool isOnline_ = false;

  void FetchEnded(const std::string& body);

  bool fetching_ = false;
  std::optional<TickerUpdate> lastResult_;
  std::function<void(TickerUpdate)> updateHandler_;
  // An answer that arrives after the ticker is gone finds this expired and does nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tarnwick
