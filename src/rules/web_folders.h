#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Whether a folder's name holds one of the words of the editor's server-extension folders
// ("_vti", "_private", "_fpclass", "_borders", "_overlay"), in any case. The files of such a
// folder stay out of the FTP web; its sub-folders are judged by their own names.
bool IsExcludedFolder(std::string_view name);

// Whether the name holds "_vti" or "_private": the extensions' own data and private form
// results, which must never reach the host, whatever the options say.
bool IsPrivateFolder(std::string_view name);

// Whether a folder of that name is walked at all: names beginning with "." are not.
inline bool IsWalkedFolder(std::string_view name) { return !name.empty() && name[0] != '.'; }

}  // namespace tarnwick
