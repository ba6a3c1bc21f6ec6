#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

#include "base/text.h"

namespace tarnwick {

// Texts in the core are UTF-8 on every platform. On Windows they become UTF-16 at each system
// call, and the contents of text files (profiles, the skip list, the ticker file) are kept in
// the system's ANSI code page, as files written by earlier versions of the program are.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// A path for the wide file functions; long absolute paths get the "\\?\" prefix so they are
// not cut at MAX_PATH.
std::wstring WidePath(std::string_view path);

// File bytes to core text: a UTF-8 byte-order mark means UTF-8, anything else is read in the
// ANSI code page.
std::string TextFromFileBytes(std::string_view bytes);

// Core text to file bytes in the ANSI code page. False (and bytes untouched) when a character
// has no place in that code page. Text that is not valid UTF-8 is taken to be bytes already.
bool AnsiFileBytes(std::string_view text, std::string& bytes);

// Core text to file bytes: the ANSI code page when it can hold every character, otherwise
// UTF-8 behind a byte-order mark so that no name is lost.
std::string FileBytesFromText(std::string_view text);

}  // namespace tarnwick

#endif  // _WIN32
