#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick {

// The line holding this text (anywhere, without regard to case) ends the header of a ticker
// text; it and everything above it are never shown.
inline constexpr std::string_view kTickerStartMarker = "'Starts here'";

// Added after the items of every load: one blank and no link, so the box stays empty for one
// turn before the items start again.
inline constexpr std::string_view kPauseItem = " ^";

inline constexpr std::string_view kTickerFileName = "ticker.db";

// One item as the ticker shows it.
struct TickerItem {
  std::string caption;       // the display text, without the highlight mark "$"
  std::string link;          // everything after the first "^", as written; may be empty
  bool highlighted = false;  // shown in red

  // A link made only of blanks is no link: the label is not underlined and a click does nothing.
  bool HasLink() const;

  bool operator==(const TickerItem&) const = default;
};

// The lines of a text. A line ends at CR LF, at CR or at LF alone, so a text with LF line
// ends is read like one with CR LF; a final line end does not start a further line.
std::vector<std::string> SplitTickerLines(std::string_view text);

// The item lines of a ticker text in file order, blanks at both ends removed: the non-blank
// lines after the first line holding the start marker, except one line at the end (the last
// line, or the one before it when the last line is blank). Empty without a start marker.
std::vector<std::string> TickerItemLines(std::string_view text);

// Splits an item line at its first "^" into display text and link; a display text that
// starts with "$" is highlighted and loses the "$". A line without "^" is all display text.
TickerItem ParseTickerItem(std::string_view itemLine);

// The item list a load produces: every item of the text, then the pause item.
std::vector<TickerItem> ParseTickerText(std::string_view text);

// ticker.db inside a folder.
std::string TickerFilePath(const std::string& folder);

// The item list read from a ticker file; nullopt when the file does not exist. A file that
// exists but cannot be read gives the pause item alone, like an empty one.
std::optional<std::vector<TickerItem>> LoadTickerFile(FileSystem& fs, const std::string& path);

}  // namespace tarnwick
