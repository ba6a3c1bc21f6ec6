#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace tarnwick {

// Folders, files and bytes of one tree, as the comparison report shows them.
struct TreeTally {
  std::int64_t Folders = 0;  // sub-folders at any depth; the root itself is not counted
  std::int64_t Files = 0;    // regular files of the root and of every counted sub-folder
  std::int64_t Bytes = 0;    // their sizes added up
};

// Called after each folder read and after every file counted, so a window can let pending
// events run during a long count. A false answer stops the count where it is.
using TallyYield = std::function<bool()>;

// Adds the tree below root (trailing separator optional) to the tally. With skipRootChangeLog
// a file named "changes.ini" (any letter case) directly in the root is left out: the uploads
// folder's own log is not an upload. Folders whose names begin with a dot are neither counted
// nor entered; an empty, missing or unreadable root adds nothing. False when the yield stopped
// the count.
bool TallyTree(FileSystem& fs, const std::string& root, TreeTally& tally, bool skipRootChangeLog,
               const TallyYield& yield = {});

}  // namespace tarnwick
