#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The UTF-8 byte-order mark some editors put at the start of a text file.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// The text without a byte-order mark at its start; no part of the first line or entry.
std::string_view WithoutUtf8Mark(std::string_view text);

// The text with its control characters (line breaks, tabs, escape...) written as %XX, so
// that a name shown in a line of output cannot split it or steer the terminal.
std::string PrintableText(std::string_view text);

// Appends c as "%" and two upper-case hex digits.
void AppendPercentEscape(std::string& out, char c);

// ASCII letters lowered; names are compared by lowering both sides.
char LowerAscii(char c);
std::string LowerCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Removes spaces (only the space character) at both ends.
std::string_view TrimSpaces(std::string_view text);
// Removes blanks (spaces and tabs) at both ends.
std::string_view TrimBlanks(std::string_view text);

// The characters before the first NUL.
std::string TrimNull(const std::string& text);

// Orders names without regard to case, with the exact bytes breaking ties, so that every
// listing comes out the same on every run.
bool NameLess(const std::string& a, const std::string& b);
void SortNames(std::vector<std::string>& names);

}  // namespace tarnwick
