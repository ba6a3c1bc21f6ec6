#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick {

// The lines of extras.db: a line ends at CR LF, LF or a lone CR, and a byte-order mark at the
// start is no part of the first entry; nothing is trimmed and empty lines are kept. Missing
// or unreadable gives an empty list.
std::vector<std::string> ParseSkipList(const std::string& content);
std::vector<std::string> LoadSkipList(const std::string& skipListFile,
                                      FileSystem& fs = SystemFileSystem());

// Why an extras.db that exists cannot be used (a folder, no access, a link that leads nowhere),
// as a message for the user; empty when it can be read or is missing.
std::string SkipListProblem(const std::string& skipListFile, FileSystem& fs = SystemFileSystem());

}  // namespace tarnwick
