#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/find_entry.h"

namespace tarnwick {

// Appends the folder separator unless the path already ends with it ("" gives a lone one).
std::string AddBackslash(const std::string& path);

// The characters before the first NUL.
std::string TrimNull(const std::string& text);

// Wildcard match ("*" any run, "?" one character), without regard to case.
bool MatchSpec(std::string_view name, std::string_view pattern);

// Split at the first occurrence of separator (found without regard to case); results are
// trimmed of spaces at both ends. TextBefore gives "" when the separator is missing;
// TextAfter then gives the whole text from position length(separator) on.
std::string TextBefore(std::string_view separator, std::string_view text);
std::string TextAfter(std::string_view separator, std::string_view text);

// -1, 0 or 1 as a's last-write time is earlier than, equal to or later than b's.
int CompareWriteTimes(const FindEntry& a, const FindEntry& b);

// The entry's true size.
std::int64_t FileSizeOf(const FindEntry& entry);

// ASCII letters lowered; names are compared by lowering both sides.
std::string LowerCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Removes spaces (only the space character) at both ends.
std::string TrimSpaces(std::string_view text);

// The path without separators at its end, except for a root ("/" or "C:\").
std::string StripTrailingSeparators(const std::string& path);

}  // namespace tarnwick
