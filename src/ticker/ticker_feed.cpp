#include "ticker/ticker_feed.h"

#include <cstdio>
#include <ctime>

#include "base/text.h"
#include "settings/ini_editor.h"
#include "settings/settings_store.h"

namespace tarnwick {

namespace {

// A version part in decimal without leading zeros; anything but digits counts as 0.
std::string VersionPart(std::string_view part) {
  if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos) return "0";
  const std::size_t first = part.find_first_not_of('0');
  return first == std::string_view::npos ? "0" : std::string(part.substr(first));
}

}  // namespace

std::string TickerFeedAddress(std::string_view host, std::string_view version) {
  std::string numbers;
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    if (start > version.size()) {
      numbers += "0";
      continue;
    }
    const std::size_t dot = version.find('.', start);
    const std::size_t end = dot == std::string_view::npos ? version.size() : dot;
    numbers += VersionPart(version.substr(start, end - start));
    start = end + 1;
  }
  std::string address = "http://";
  address += host;
  address += "/qzfeed";
  address += numbers;
  address += ".txt";
  return address;
}

CalendarDay LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string FormatYyyymmdd(const CalendarDay& day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", day.year, day.month, day.day);
  return text;
}

std::string TickerDateText(const CalendarDay& day) {
  std::string text(1, ' ');
  text += FormatYyyymmdd(day);
  return text;
}

bool DailyCheckFetches(std::string_view storedTickerDate, const CalendarDay& today, bool isOnline) {
  return isOnline && TrimBlanks(storedTickerDate) != FormatYyyymmdd(today);
}

TickerUpdate StoreTickerText(FileSystem& fs, const TickerFiles& files, const std::string& body,
                             const CalendarDay& today, std::string* error) {
  if (body.empty()) return TickerUpdate::kNothingFetched;
  if (!fs.ReplaceFile(files.tickerFile, body, error)) return TickerUpdate::kFileNotWritten;
  const std::lock_guard lock(SettingsFileMutex());
  IniEditor editor(fs);
  editor.IniFile = files.settingsFile;
  editor.IniSection = kTickerDateSection;
  if (editor.WriteIniValue(kTickerDateKey, TickerDateText(today)) == 0) {
    if (error) *error = editor.LastError();
    return TickerUpdate::kDateNotWritten;
  }
  return TickerUpdate::kStored;
}

std::string ReadTickerDate(FileSystem& fs, const std::string& settingsFile) {
  IniEditor editor(fs);
  editor.IniFile = settingsFile;
  editor.IniSection = kTickerDateSection;
  return editor.ReadIniValue(kTickerDateKey, "");
}

}  // namespace tarnwick
