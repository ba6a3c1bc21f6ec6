#include "report/tree_tally.h"

#include <memory>
#include <vector>

#include "rules/file_compare.h"
#include "rules/ftp_web_names.h"

namespace tarnwick {

namespace {

// The tallies are built from one read per folder and one look-up per file: the read gives
// both the files and the sub-folders, so a folder is never listed twice.

// False when the count is to stop.
bool GoOn(const TallyYield& yield) { return !yield || yield(); }

bool CountFiles(Folder& folder, const std::vector<std::string>& files, bool skipChangeLog,
                TreeTally& tally, const TallyYield& yield) {
  for (const std::string& name : files) {
    if (skipChangeLog && LowerCase(name) == kLogName) continue;
    ++tally.Files;
    // A file that vanished since the read still counts as listed, with no bytes.
    if (auto entry = folder.LookUp(name)) tally.Bytes += FileSizeOf(*entry);
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
    // Opened by its path, as the listing named it: a sub-folder on another mount counts too.
    std::unique_ptr<Folder> opened = fs.OpenFolder(path, nullptr);
    FolderListing listing;
    // A sub-folder that cannot be read adds nothing; the rest of the tree is still counted.
    if (!opened || !opened->List(listing, nullptr)) continue;
    if (!GoOn(yield) || !CountFiles(*opened, listing.files, false, tally, yield)) return false;
    ++tally.Folders;
    opened.reset();  // a deep tree holds no descriptor per level
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
  std::unique_ptr<Folder> opened = fs.OpenFolder(folder, nullptr);
  FolderListing listing;
  if (!opened || !opened->List(listing, nullptr)) return true;
  if (!GoOn(yield) || !CountFiles(*opened, listing.files, skipRootChangeLog, tally, yield))
    return false;
  opened.reset();
  return CountSubfolders(fs, folder, listing.folders, tally, yield);
}

}  // namespace tarnwick
