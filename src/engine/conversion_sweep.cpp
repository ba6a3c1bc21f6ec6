// The sweep of a conversion: files of the FTP web without a counterpart in the web are
// logged as deleted and removed, as the options say.
#include <algorithm>

#include "engine/conversion_run.h"
#include "rules/web_folders.h"

namespace tarnwick {

void ConversionRun::SweepDeletedFiles() {
  Status("Checking for Deleted Files...");
  Yield();
  // Without a listing of the web's own folder (its failure is listed already), or with the web
  // gone, every file of the FTP web would look deleted.
  if (!sourceRootListed_ || !SourceStillThere()) return;
  log_.Open(destRoot_, UploadsPath, policy_.uploadsMade);
  log_.Switch(LogSection::kDeleted);
  log_.DeferWrites(true);
  queue_.Start();
  FolderListing root;
  std::string error;
  if (fs_.ReadFolder(destRoot_, root, &error)) {
    SweepFiles(WebPath(), root.files);
    WalkSubfolders(
        destRoot_, WebPath(), root,
        [this](const std::string&, const WebPath& relative, const FolderListing& child) {
          SweepFiles(relative, child.files);
        },
        false);
  } else {
    result_.Fail("read folder", destRoot_, error);
  }
  queue_.Flush();
  log_.DeferWrites(false);
}

bool ConversionRun::SourceStillThere() {
  if (sweepStopped_) return false;
  FileIdentity now;
  std::string error;
  if (fs_.FolderIdentity(sourceRoot_, now, &error) && now == sourceIdentity_) return true;
  if (error.empty()) error = "another folder has taken its place";
  result_.Fail("check", sourceRoot_,
               "the FrontPage web has gone or cannot be read (" + error +
                   "); the sweep stopped and deleted nothing more");
  sweepStopped_ = true;
  return false;
}

bool ConversionRun::SourceFolderListed(const WebPath& relative) const {
  if (!sourceRootListed_) return false;
  // A folder that the scan failed to list hides what became of everything below it.
  for (WebPath folder = relative; !folder.IsRoot(); folder = folder.Parent())
    if (unlistedSourceFolders_.count(folder.Key()) != 0) return false;
  return true;
}

// A file of the FTP web in _borders, _overlay or _fpclass that no page uses any more, while
// its source is still there: with the option on it goes like a deleted file.
bool ConversionRun::NoLongerKept(const WebPath& relative, const std::string& name) const {
  if (!policy_.keepUsedFiles || !kept_.complete || relative.IsRoot()) return false;
  for (std::string_view part : relative.Parts())
    if (!IsWalkedFolder(part) || IsPrivateFolder(part)) return false;
  if (!IsExcludedFolder(relative.Name())) return false;
  return !std::binary_search(kept_.files.begin(), kept_.files.end(), relative.Join(name).Slashed());
}

void ConversionRun::SweepFiles(const WebPath& relative, const std::vector<std::string>& files) {
  if (sweepStopped_) return;
  std::shared_ptr<Folder> source =
      files.empty() ? nullptr : OpenFolderOrPath(fs_, relative.NativeIn(sourceRoot_));
  const std::vector<const std::string*> gone = GoneFiles(relative, files, source);
  FileIdentity held;
  if (gone.empty()) {
    // A folder held open is still looked at when the web has moved away from under it: that
    // must be heard of as with the look-ups by path, which would have found nothing.
    if (source && source->HeldIdentity(held)) SourceStillThere();
    return;
  }
  if (!SourceFolderListed(relative)) {
    result_.Fail("check", relative.NativeIn(sourceRoot_),
                 "this folder of the FrontPage web could not be listed, so its missing files "
                 "are not taken for deleted");
    return;
  }
  // The look-ups found nothing; that counts only if the web is still the one listed.
  if (!SourceStillThere()) return;
  SweepGone(relative, gone);
}

std::vector<const std::string*> ConversionRun::GoneFiles(const WebPath& relative,
                                                         const std::vector<std::string>& files,
                                                         const std::shared_ptr<Folder>& source) {
  std::vector<const std::string*> gone;
  // Where the source folder is held, one read of it answers for every file it lists; only the
  // others are looked up one by one.
  std::vector<std::string> listed;
  FileIdentity held;
  if (source && source->HeldIdentity(held)) {
    FolderListing listing;
    if (fs_.ReadFolder(source->Path(), listing, nullptr)) listed = std::move(listing.files);
    std::sort(listed.begin(), listed.end());
  }
  for (const std::string& name : files) {
    if (Cancelled()) break;
    // The run's own latest-run log has no source counterpart and is no deleted file.
    if (relative.IsRoot() && (ChangeLog::IsLogName(name) || ChangeLog::IsLeftover(name))) continue;
    const bool isListed = std::binary_search(listed.begin(), listed.end(), name);
    std::optional<FindEntry> counterpart;
    if (!isListed) counterpart = source->LookUp(name);
    std::string reason;
    if (!isListed && !counterpart && source->Inaccessible(name, &reason)) {
      // A source file that cannot be examined may well be there: never sweep on a guess.
      result_.Fail("check", relative.Join(name).NativeIn(sourceRoot_), reason);
    } else if ((!isListed && (!counterpart || counterpart->IsFolder())) ||
               NoLongerKept(relative, name)) {
      gone.push_back(&name);
    }
    Yield();
  }
  return gone;
}

void ConversionRun::SweepGone(const WebPath& relative,
                              const std::vector<const std::string*>& gone) {
  for (const std::string* name : gone) {
    const std::string destFile = relative.Join(*name).NativeIn(destRoot_);
    ++result_.deletedFound;
    const bool logged = !policy_.reportDeleted || LogDeleted(destFile);
    if (policy_.removeDeleted && !ChangeLog::IsLogName(*name)) {
      // The size is logged before the file goes, and the file goes only once it is logged.
      if (!logged)
        result_.Fail("delete", destFile, "withheld because the change log could not be written");
      else if (policy_.reportDeleted)
        queue_.AddDeletion(destFile);
      else
        queue_.DeleteNow(destFile);
    }
    queue_.MaybeFlush();
  }
}

}  // namespace tarnwick
