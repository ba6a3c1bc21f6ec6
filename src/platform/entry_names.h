#pragma once

#include <functional>
#include <string>

namespace tarnwick {

// Path pieces and temporary names, the same for every platform's layer.

// The last entry of path ("" for a root).
std::string EntryNameOf(const std::string& path);
// The folder that holds the entry at path: "." without a folder, a root for its own entries.
std::string HolderPathOf(const std::string& path);
// folder and name joined by one separator (none after a root's, or after a bare drive).
std::string JoinEntry(const std::string& folder, const std::string& name);

// Whether name is one entry of a folder: not empty, not "." or "..", no separator. Anything
// else would lead a folder's operation out of it.
bool IsEntryName(const std::string& name);

// How one attempt to make a file under a temporary name went.
enum class TempAttempt { kMade, kTaken, kFailed };

// Tries names ReplaceTempPrefix(fileName) + random digits until attempt makes one (kMade) or
// fails for another reason than the name being taken; 100 taken names give up. temp holds the
// last name tried.
bool MakeUnderTempName(const std::string& fileName,
                       const std::function<TempAttempt(const std::string&)>& attempt,
                       std::string& temp);

}  // namespace tarnwick
