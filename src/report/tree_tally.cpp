#include "report/tree_tally.h"

#include <vector>

#include "engine/helpers.h"

namespace tarnwick {

namespace {

// The tallies are built from one read per folder and one look-up per file: the read gives
// both the files and the sub-folders, so a folder is never listed twice.

void YieldNow(const TallyYield& yield) {
  if (yield) yield();
}

void CountFiles(FileSystem& fs, const std::string& folder, const std::vector<std::string>& files,
                bool skipChangeLog, TreeTally& tally, const TallyYield& yield) {
  for (const std::string& name : files) {
    if (skipChangeLog && LowerCase(name) == "changes.ini") continue;
    ++tally.Files;
    // A file that vanished since the read still counts as listed, with no bytes.
    if (auto entry = fs.LookUp(folder + name)) tally.Bytes += FileSizeOf(*entry);
    YieldNow(yield);
  }
}

void CountSubfolders(FileSystem& fs, const std::string& folder,
                     const std::vector<std::string>& folders, TreeTally& tally,
                     const TallyYield& yield) {
  for (const std::string& rawName : folders) {
    std::string name = TrimNull(rawName);
    if (name.empty() || name[0] == '.') continue;
    std::string path = folder + name + kPathSeparator;
    FolderListing listing;
    // A sub-folder that cannot be read adds nothing; the rest of the tree is still counted.
    if (!fs.ReadFolder(path, listing, nullptr)) continue;
    YieldNow(yield);
    CountFiles(fs, path, listing.files, false, tally, yield);
    ++tally.Folders;
    CountSubfolders(fs, path, listing.folders, tally, yield);
  }
}

}  // namespace

void TallyTree(FileSystem& fs, const std::string& root, TreeTally& tally, bool skipRootChangeLog,
               const TallyYield& yield) {
  // An empty text names no folder (a lone separator would be the file system's root).
  if (root.empty()) return;
  std::string folder = AddBackslash(root);
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return;
  YieldNow(yield);
  CountFiles(fs, folder, listing.files, skipRootChangeLog, tally, yield);
  CountSubfolders(fs, folder, listing.folders, tally, yield);
}

void TallySubfolders(FileSystem& fs, const std::string& folder, TreeTally& tally,
                     const TallyYield& yield) {
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return;
  CountSubfolders(fs, folder, listing.folders, tally, yield);
}

}  // namespace tarnwick
