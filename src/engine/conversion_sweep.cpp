// The sweep of a conversion: files of the FTP web without a counterpart in the web are
// logged as deleted and removed, as the options say.
#include <algorithm>

#include "engine/conversion_run.h"
#include "rules/file_compare.h"
#include "rules/web_folders.h"

namespace tarnwick {

void ConversionRun::SweepDeletedFiles() {
  Status("Checking for Deleted Files...");
  Yield();
  // Without a listing of the web's own folder (its failure is listed already), or with the web
  // gone, every file of the FTP web would look deleted.
  if (!sourceRootListed_ || !SourceStillThere()) return;
  log_.Switch(LogSection::kDeleted);
  log_.DeferWrites(true);
  queue_.Start();
  FolderListing root;
  std::string error = "the folder could not be opened";
  if (destRootFolder_ && destRootFolder_->List(root, &error)) {
    SweepFiles(WebPath(), root.files, destRootFolder_);
    WalkSubfolders(
        *destRootFolder_, WebPath(), root,
        [this](const std::string&, const WebPath& relative, const FolderListing& child,
               const std::shared_ptr<Folder>& folder) {
          SweepFiles(relative, child.files, folder);
        },
        false);
  } else {
    result_.Fail("read folder", destRoot_, error);
  }
  queue_.Flush();
  log_.DeferWrites(false);
  sourceTree_.Release();
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

void ConversionRun::SweepFiles(const WebPath& relative, const std::vector<std::string>& files,
                               const std::shared_ptr<Folder>& folder) {
  // Nothing is deleted from an FTP web that another folder has replaced.
  if (sweepStopped_ || files.empty() || !TargetsCurrent()) return;
  std::string error;
  bool absent = false;
  const std::shared_ptr<Folder> source = sourceTree_.Open(relative, &error, &absent);
  const std::vector<const std::string*> gone = GoneFiles(relative, files, source, absent, error);
  if (gone.empty()) {
    // A folder held open is still looked at when the web has moved away from under it: that
    // must be heard of, as the web's files are no longer where the user sees them.
    if (source) SourceStillThere();
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
  SweepGone(relative, gone, folder);
}

std::vector<const std::string*> ConversionRun::GoneFiles(const WebPath& relative,
                                                         const std::vector<std::string>& files,
                                                         const std::shared_ptr<Folder>& source,
                                                         bool sourceAbsent,
                                                         const std::string& sourceError) {
  std::vector<const std::string*> gone;
  // One read of the source folder answers for every file it lists; only the others are
  // looked up one by one.
  std::vector<std::string> listed;
  if (FolderListing listing; source && source->List(listing, nullptr))
    listed = std::move(listing.files);
  std::sort(listed.begin(), listed.end());
  for (const std::string& name : files) {
    if (Cancelled()) break;
    // The run's own latest-run log has no source counterpart and is no deleted file.
    if (relative.IsRoot() && (ChangeLog::IsLogName(name) || ChangeLog::IsLeftover(name))) continue;
    const bool isListed = std::binary_search(listed.begin(), listed.end(), name);
    std::optional<FindEntry> counterpart;
    std::string reason = sourceError;
    // A source folder that cannot be opened may well hold the file.
    bool unknown = !source && !sourceAbsent;
    if (!isListed && source) {
      counterpart = source->LookUp(name);
      unknown = !counterpart && source->Inaccessible(name, &reason);
    }
    if (!isListed && unknown) {
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

void ConversionRun::SweepGone(const WebPath& relative, const std::vector<const std::string*>& gone,
                              const std::shared_ptr<Folder>& folder) {
  for (const std::string* name : gone) {
    if (writingStopped_) return;
    const std::string destFile = folder->PathOf(*name);
    ++result_.deletedFound;
    bool logged = true;
    if (policy_.reportDeleted) {
      std::optional<FindEntry> entry = folder->LookUp(*name);
      logged = LogDeleted(destFile, entry ? FileSizeOf(*entry) : 0);
    }
    if (policy_.removeDeleted && !ChangeLog::IsLogName(*name)) {
      // The size is logged before the file goes, and the file goes only once it is logged.
      PendingAction deletion{std::string(), destFile, relative, *name, nullptr, folder, false};
      if (!logged)
        result_.Fail("delete", destFile, "withheld because the change log could not be written");
      else if (policy_.reportDeleted)
        queue_.AddDeletion(std::move(deletion));
      else
        queue_.DeleteNow(deletion);
    }
    queue_.MaybeFlush();
  }
}

}  // namespace tarnwick
