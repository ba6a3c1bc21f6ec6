#include "report/tree_tally.h"

#include <vector>

#include "rules/file_compare.h"
#include "rules/ftp_web_names.h"

namespace tarnwick {

namespace {

// The tallies are built from one read per folder and one look-up per file: the read gives
// both the files and the sub-folders, so a folder is never listed twice.

// False when the count is to stop.
bool GoOn(const TallyYield& yield) { return !yield || yield(); }

bool CountFiles(FileSystem& fs, const std::string& folder, const std::vector<std::string>& files,
                bool skipChangeLog, TreeTally& tally, const TallyYield& yield) {
  for (const std::string& name : files) {
    if (skipChangeLog && LowerCase(name) == kLogName) continue;
    ++tally.Files;
    // A file that vanished since the read still counts as listed, with no bytes.
    if (auto entry = fs.LookUp(folder + name)) tally.Bytes += FileSizeOf(*entry);
    if (!GoOn(yield)) return false;
  }
  return true;
}

bool CountSubfolders(FileSystem& fs, const std::string& folder,
                     const std::vector<std::string>& folders, TreeTally& tally,
                     const TallyYield& yield) {
  for (const std::string& rawName : folders) {
    std::string name = TrimNull(rawName);
    if (name.empty() || name[0] == '.') continue;
    std::string path = folder + name + kPathSeparator;
    FolderListing listing;
    // A sub-folder that cannot be read adds nothing; the rest of the tree is still counted.
    if (!fs.ReadFolder(path, listing, nullptr)) continue;
    if (!GoOn(yield) || !CountFiles(fs, path, listing.files, false, tally, yield)) return false;
    ++tally.Folders;
    if (!CountSubfolders(fs, path, listing.folders, tally, yield)) return false;
  }
  return true;
}

}  // namespace

bool TallyTree(FileSystem& fs, const std::string& root, TreeTally& tally, bool skipRootChangeLog,
               const TallyYield& yield) {
  // An empty text names no folder (a lone separator would be the file system's root).
  if (root.empty()) return true;
  std::string folder = AddBackslash(root);
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return true;
  return GoOn(yield) && CountFiles(fs, folder, listing.files, skipRootChangeLog, tally, yield) &&
         CountSubfolders(fs, folder, listing.folders, tally, yield);
}

}  // namespace tarnwick
