// The copy phase of a conversion: every work entry is brought into the FTP web, a new or
// changed one also into the uploads folder and the change logs.
#include <algorithm>

#include "base/path.h"
#include "base/text.h"
#include "engine/conversion_run.h"
#include "rules/file_compare.h"

namespace tarnwick {

void ConversionRun::CopyChangedFiles() {
  log_.Open(destRoot_, UploadsPath, policy_.uploadsMade);
  log_.Switch(LogSection::kChanged);
  std::string error;
  if (!fs_.CreateFolder(DestPath, &error)) result_.Fail("create folder", DestPath, error);
  if (policy_.uploadsMade && !fs_.CreateFolder(UploadsPath, &error))
    result_.Fail("create folder", UploadsPath, error);
  log_.StartRun(sourceRoot_);
  // The probe has a log leftover's name, so that a run killed right then leaves nothing new.
  destTimeStep_ = 1;
  if (policy_.compareDate)
    destTimeStep_ = fs_.WriteTimeStep(WebPath().Join(ChangeLog::ProbeName()).NativeIn(destRoot_));

  StartCopies();
  const std::size_t n = WorkList.size();
  const std::string total = " of " + std::to_string(n) + " files.";
  for (std::size_t i = 0; i < n; ++i) {
    if (Cancelled()) break;
    ProcessEntry(i);
    queue_.MaybeFlush();
    Status("Copying >>> " + std::to_string(i + 1) + total);
    Yield();
  }
  queue_.Flush();
  log_.DeferWrites(false);
  destChain_.Reset(destRoot_);
  uploadsChain_.Reset(UploadsPath);
  sourceFolder_.reset();
}

void ConversionRun::StartCopies() {
  log_.DeferWrites(true);
  queue_.Start();
  destChain_.Reset(destRoot_);
  uploadsChain_.Reset(UploadsPath);
  sourceFolder_.reset();
}

void ConversionRun::ProcessEntry(std::size_t index) {
  observer_->EntrySelected(index);
  EntryFiles files;
  if (!EntryAt(index, files)) return;
  if (destChain_.Ensure(files.folder) != ChainOutcome::kMade) return;
  if (policy_.skipListApplies && SkipListed(files.name)) return;

  files.sourceFolder = SourceFolder(files.folder);
  files.destFolder = destChain_.Last();
  std::optional<FindEntry> source = LookUpSource(files);
  if (!source) return;
  std::optional<FindEntry> target;
  if (!LookUpTarget(files, target)) return;

  PendingAction copy{files.source, files.dest, files.sourceFolder, files.destFolder, !target};
  const char* finding = Finding(*source, target);
  if (!finding) {
    queue_.CopyNow(copy);
    return;
  }
  if (policy_.uploadsMade && !CopyIntoUploads(files)) return;
  ++result_.reported;
  LogAndCopy(std::move(copy), finding);
}

bool ConversionRun::EntryAt(std::size_t index, EntryFiles& files) const {
  const std::string& entry = WorkList[index];
  // The scan remembers where the folder ends, so "^" and blanks in names survive the split.
  std::size_t split = index < workSplit_.size() ? workSplit_[index] : entry.find('^');
  if (split == std::string::npos || split >= entry.size() || entry[split] != '^') return false;
  files.folder = WebPath::FromText(entry.substr(0, split));
  files.name = entry.substr(split + 1);
  const WebPath file = files.folder.Join(files.name);
  files.source = file.NativeIn(sourceRoot_);
  files.dest = file.NativeIn(destRoot_);
  return true;
}

std::optional<FindEntry> ConversionRun::LookUpSource(const EntryFiles& files) {
  std::optional<FindEntry> source = files.sourceFolder->LookUp(files.name);
  if (source && !source->IsFolder()) return source;
  // Vanished since the scan: nothing to copy or report. One that is there but cannot be
  // examined is a failure the user must hear of.
  std::string reason;
  if (files.sourceFolder->Inaccessible(files.name, &reason))
    result_.Fail("copy", files.source, reason);
  return std::nullopt;
}

bool ConversionRun::LookUpTarget(const EntryFiles& files, std::optional<FindEntry>& target) {
  // In a folder this run has just made, nothing can be there yet; should something have come
  // meanwhile, the copy still finds it.
  if (!destChain_.MadeLast()) target = files.destFolder->LookUp(files.name);
  if (target && target->IsFolder()) {
    // The web has a page where it had a folder of that name: the folder's copy makes way.
    if (!RemoveFtpFolder(files.dest)) return false;
    target.reset();
  }
  return true;
}

const char* ConversionRun::Finding(const FindEntry& source,
                                   const std::optional<FindEntry>& target) const {
  if (!policy_.checking) return nullptr;
  if (!target) return "NEW Entry";
  // Date and size both changed is recorded twice under one key; the size finding stands.
  if (policy_.compareSize && FileSizeOf(source) != FileSizeOf(*target)) return "Size Changed";
  if (policy_.compareDate && !SameWriteTime(source, *target, destTimeStep_)) return "Date Changed";
  return nullptr;
}

bool ConversionRun::CopyIntoUploads(const EntryFiles& files) {
  const std::string uploadsFile = files.folder.Join(files.name).NativeIn(UploadsPath);
  std::string error;
  const ChainOutcome chain = uploadsChain_.Ensure(files.folder);
  const bool made = chain == ChainOutcome::kMade;
  const bool copied = made && uploadsChain_.Last()->CopyFileFrom(*files.sourceFolder, files.name,
                                                                 uploadsChain_.MadeLast(), &error);
  bool blocked = chain == ChainOutcome::kBlocked;
  if (!copied && made) {
    if (queue_.SourceVanished(files.source)) return false;
    std::optional<FindEntry> there = fs_.LookUp(uploadsFile);
    blocked = there && there->IsFolder();
  }
  if (blocked) {
    // The uploads folder only grows, so an entry of the other kind from an earlier run
    // stays. The change is still logged and reaches the FTP web, so that later runs get
    // past it; this run names it once.
    result_.Fail("copy", uploadsFile,
                 "an entry of that name from an earlier run is in the way in the uploads folder "
                 "and was kept; the change is logged and the new version is in the FTP web");
    return true;
  }
  if (copied) return true;
  if (made) queue_.CopyFailed(files.source, uploadsFile, error);
  // Leaving the FTP web copy as it was keeps the change visible to the next run.
  result_.Fail("copy", files.dest, "not updated, so that the next run retries the uploads copy");
  return false;
}

void ConversionRun::LogAndCopy(PendingAction copy, const char* finding) {
  if (!policy_.reportChanges) {
    queue_.CopyNow(copy);
  } else if (log_.Write(LogKey(copy.from), finding)) {
    // The copy waits for its log line.
    queue_.AddCopy(std::move(copy));
  } else {
    result_.Fail("copy", copy.to, "withheld because the change log could not be written");
  }
}

std::shared_ptr<Folder> ConversionRun::SourceFolder(const WebPath& relative) {
  if (!sourceFolder_ || !(sourceFolderRelative_ == relative)) {
    sourceFolder_ = OpenFolderOrPath(fs_, relative.NativeIn(sourceRoot_));
    sourceFolderRelative_ = relative;
  }
  return sourceFolder_;
}

bool ConversionRun::SkipListed(const std::string& fileName) const {
  if (skipList_.empty()) return false;
  const std::string lowered = LowerCase(fileName);
  return std::find(skipList_.begin(), skipList_.end(), lowered) != skipList_.end();
}

bool ConversionRun::ReplaceFtpFileWithFolder(const std::string& path) {
  if (ChangeLog::IsLogName(std::string(BaseName(path)))) {
    result_.Fail("create folder", path,
                 "a change log of that name is in the way; those are never deleted");
    return false;
  }
  std::string error;
  if (!RemoveFromFtpWebNow({path})) return false;
  if (!fs_.CreateFolder(path, &error)) {
    result_.Fail("create folder", path, error);
    return false;
  }
  return true;
}

bool ConversionRun::RemoveFtpFolder(const std::string& path) {
  // Everything in it goes, or nothing: its files are logged as deleted first, like the
  // sweep's. Change logs and dot-folders are never the program's to delete.
  const std::string makeWay = "the folder " + path + " must make way for a page of that name, ";
  std::vector<std::string> folders{path};
  std::vector<WebPath> inside{WebPath()};  // the folders below path
  std::vector<std::string> files;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    FolderListing listing;
    std::string error;
    if (!fs_.ReadFolder(folders[i], listing, &error)) {
      result_.Fail("read folder", folders[i], error);
      return false;
    }
    for (const std::string& name : listing.files) {
      files.push_back(inside[i].Join(name).NativeIn(path));
      if (ChangeLog::IsLogName(name)) {
        result_.Fail("delete", files.back(), makeWay + "but change logs are never deleted");
        return false;
      }
    }
    for (const std::string& name : listing.folders) {
      inside.push_back(inside[i].Join(name));
      folders.push_back(inside.back().NativeIn(path));
      if (name[0] == '.') {
        result_.Fail("delete", folders.back(),
                     makeWay + "but folders whose names begin with \".\" are never deleted");
        return false;
      }
    }
  }
  if (!RemoveFromFtpWebNow(files)) return false;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    std::string error;
    if (!fs_.DeleteFolder(*it, &error)) {
      result_.Fail("delete", *it, error);
      return false;
    }
  }
  return true;
}

bool ConversionRun::LogDeleted(const std::string& path) {
  // A deleted file's line holds its size.
  std::optional<FindEntry> entry = fs_.LookUp(path);
  return log_.Write(LogKey(path), std::to_string(entry ? FileSizeOf(*entry) : 0));
}

bool ConversionRun::RemoveFromFtpWebNow(const std::vector<std::string>& paths) {
  result_.deletedFound += static_cast<std::int64_t>(paths.size());
  if (policy_.reportDeleted && !paths.empty()) {
    // Logged as the sweep logs them, and on disk before anything goes.
    log_.Switch(LogSection::kDeleted);
    bool logged = true;
    for (const std::string& path : paths) logged = LogDeleted(path) && logged;
    log_.Switch(LogSection::kChanged);
    if (!queue_.Flush() || !logged) {
      for (const std::string& path : paths)
        result_.Fail("delete", path, "withheld because the change log could not be written");
      return false;
    }
  }
  for (const std::string& path : paths) {
    std::string error;
    if (!fs_.DeleteFile(path, &error)) {
      result_.Fail("delete", path, error);
      return false;
    }
    ++result_.deleted;
  }
  return true;
}

}  // namespace tarnwick
