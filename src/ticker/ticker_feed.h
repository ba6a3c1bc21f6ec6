#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "1.0.0"
#endif

namespace tarnwick {

// The ticker server. A reserved name until the real server exists; tests pass their own
// (a loopback "127.0.0.1:port" works too, as the host goes into the address unchanged).
inline constexpr const char* kTickerHost = "ticker.tarnwick.example";
inline constexpr const char* kProgramVersion = TARNWICK_VERSION;

// "http://" host "/qzfeed" major minor revision ".txt": version "1.0.0" fetches
// qzfeed100.txt, "2.1.13" qzfeed2113.txt. Missing or non-numeric parts count as 0.
std::string TickerFeedAddress(std::string_view host, std::string_view version);

// A day of the local calendar.
struct CalendarDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Today by the machine's local clock.
CalendarDay LocalToday();

// "yyyymmdd".
std::string FormatYyyymmdd(const CalendarDay& day);

// What TickerDate holds after a download: one blank, then "yyyymmdd" (profile reads remove
// the blank again).
std::string TickerDateText(const CalendarDay& day);

// The daily check's decision: fetch while on-line when the stored day (blanks at both ends
// not counting) is not today. A missing or damaged date also fetches.
bool DailyCheckFetches(std::string_view storedTickerDate, const CalendarDay& today, bool isOnline);

// Where the ticker keeps its data: ticker.db and the settings.db that holds TickerDate.
struct TickerFiles {
  std::string tickerFile;
  std::string settingsFile;
};

// How one attempt to renew the ticker text ended.
enum class TickerUpdate {
  kOffline,         // not tried
  kNothingFetched,  // empty answer: nothing written
  kStored,          // ticker.db replaced and the day recorded
  kFileNotWritten,  // ticker.db could not be replaced; the day is not recorded either
  kDateNotWritten,  // ticker.db replaced, but the day could not be recorded
  kFetching,        // the answer is on its way; the result follows when it comes
};

// Stores a fetched body: ticker.db replaced atomically with the bytes as received, then
// TickerDate written into settings.db. An empty body writes nothing. The day is recorded only
// once the text is safely stored, so a failed write is retried by the next daily check.
TickerUpdate StoreTickerText(FileSystem& fs, const TickerFiles& files, const std::string& body,
                             const CalendarDay& today, std::string* error = nullptr);

// The stored TickerDate, "" when missing.
std::string ReadTickerDate(FileSystem& fs, const std::string& settingsFile);

}  // namespace tarnwick
