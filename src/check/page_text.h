#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// A page's bytes as UTF-8, which the HTML parser reads. Pages of the editor are mostly in the
// Windows code page: bytes that are not valid UTF-8 are taken as Windows-1252, and a page
// with a UTF-16 byte order mark is converted. Line breaks stay where they were, so line
// numbers hold. Returns bytes itself when it is valid UTF-8, otherwise a view of converted.
std::string_view Utf8PageText(std::string_view bytes, std::string& converted);

// The number of line breaks (LF, CR LF or a lone CR) in text.
std::int64_t CountLineBreaks(std::string_view text);

}  // namespace tarnwick
