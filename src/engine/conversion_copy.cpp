// The copy phase of a conversion: every work entry is brought into the FTP web, a new or
// changed one also into the uploads folder and the change logs.
#include <algorithm>

#include "base/path.h"
#include "base/text.h"
#include "engine/conversion_run.h"
#include "rules/file_compare.h"

namespace tarnwick {

void ConversionRun::CopyChangedFiles() {
  destRootFolder_ = OpenTarget(DestPath);
  // Without uploads, one left by earlier runs is still held: a killed run's leftovers go.
  uploadsRootFolder_ = policy_.uploadsMade ? OpenTarget(UploadsPath)
                                           : fs_.OpenFolder(UploadsPath, nullptr);
  log_.Open(destRoot_, destRootFolder_, UploadsPath, uploadsRootFolder_, policy_.uploadsMade);
  log_.Switch(LogSection::kChanged);
  log_.StartRun(sourceRootFolder_.get());
  // The probe has a log leftover's name, so that a run killed right then leaves nothing new.
  destTimeStep_ = 1;
  if (policy_.compareDate && destRootFolder_)
    destTimeStep_ = destRootFolder_->WriteTimeStep(ChangeLog::ProbeName());

  StartCopies();
  const std::size_t n = WorkList.size();
  const std::string total = " of " + std::to_string(n) + " files.";
  for (std::size_t i = 0; i < n; ++i) {
    if (Stopped()) break;
    ProcessEntry(i);
    queue_.MaybeFlush();
    Status("Copying >>> " + std::to_string(i + 1) + total);
    Yield();
  }
  queue_.Flush();
  log_.DeferWrites(false);
  ReleaseChains();
}

// A root of the FTP web's side, made when missing and held for the rest of the run.
std::shared_ptr<Folder> ConversionRun::OpenTarget(const std::string& path) {
  std::string error;
  std::shared_ptr<Folder> folder;
  if (fs_.CreateFolder(path, &error))
    folder = fs_.OpenFolder(StripTrailingSeparators(path), &error);
  if (!folder) result_.Fail("create folder", path, error);
  return folder;
}

void ConversionRun::StartCopies() {
  log_.DeferWrites(true);
  queue_.Start();
  queue_.SetRoots(sourceRootFolder_, destRootFolder_);
  ReleaseChains();
}

// Lets go of every folder held below the roots.
void ConversionRun::ReleaseChains() {
  destChain_.Reset(destRootFolder_);
  uploadsChain_.Reset(uploadsRootFolder_);
  sourceTree_.Release();
  sourceFolder_.reset();
  sourceFolderKnown_ = false;
}

void ConversionRun::ProcessEntry(std::size_t index) {
  observer_->EntrySelected(index);
  EntryFiles files;
  if (!EntryAt(index, files)) return;
  if (destChain_.Ensure(files.folder) != ChainOutcome::kMade) return;
  if (policy_.skipListApplies && SkipListed(files.name)) return;

  files.sourceFolder = SourceFolder(files.folder);
  if (!files.sourceFolder) return;
  files.destFolder = destChain_.Last();
  std::optional<FindEntry> source = LookUpSource(files);
  if (!source) return;
  std::optional<FindEntry> target;
  if (!LookUpTarget(files, target)) return;

  PendingAction copy{files.source,      files.dest,       files.folder, files.name,
                     files.sourceFolder, files.destFolder, !target};
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
    if (!RemoveFtpFolder(files.destFolder, files.name)) return false;
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
    if (WriteAheadQueue::SourceVanished(*files.sourceFolder, files.name)) return false;
    std::optional<FindEntry> there = uploadsChain_.Last()->LookUp(files.name);
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
  if (made)
    queue_.CopyFailed(files.sourceFolder.get(), files.name, files.source, uploadsFile, error);
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
  if (sourceFolderKnown_ && sourceFolderRelative_ == relative) return sourceFolder_;
  sourceFolderKnown_ = true;
  sourceFolderRelative_ = relative;
  std::string error;
  bool absent = false;
  sourceFolder_ = sourceTree_.Open(relative, &error, &absent);
  // A folder gone since the scan took its files with it: nothing to copy or report.
  if (!sourceFolder_ && !absent) result_.Fail("read folder", relative.NativeIn(sourceRoot_), error);
  return sourceFolder_;
}

bool ConversionRun::SkipListed(const std::string& fileName) const {
  if (skipList_.empty()) return false;
  const std::string lowered = LowerCase(fileName);
  return std::find(skipList_.begin(), skipList_.end(), lowered) != skipList_.end();
}

bool ConversionRun::ReplaceFtpFileWithFolder(const std::shared_ptr<Folder>& parent,
                                             const std::string& name) {
  const std::string path = parent->PathOf(name);
  if (ChangeLog::IsLogName(name)) {
    result_.Fail("create folder", path,
                 "a change log of that name is in the way; those are never deleted");
    return false;
  }
  std::optional<FindEntry> file = parent->LookUp(name);
  HeldTree tree(parent);
  if (!RemoveFromFtpWebNow(tree, {DoomedFile{WebPath().Join(name), file ? FileSizeOf(*file) : 0}}))
    return false;
  std::string error;
  bool made = false;
  if (!parent->CreateFolder(name, made, &error)) {
    result_.Fail("create folder", path, error);
    return false;
  }
  return true;
}

bool ConversionRun::RemoveFtpFolder(const std::shared_ptr<Folder>& parent,
                                    const std::string& name) {
  // Everything in it goes, or nothing: its files are logged as deleted first, like the
  // sweep's. Change logs and dot-folders are never the program's to delete. Each folder is
  // opened from the one above it, starting at parent, and only one chain of them is held.
  const std::string makeWay =
      "the folder " + parent->PathOf(name) + " must make way for a page of that name, ";
  HeldTree tree(parent);
  std::vector<WebPath> folders{WebPath().Join(name)};
  std::vector<DoomedFile> files;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const std::string folderPath = folders[i].NativeIn(parent->Path());
    FolderListing listing;
    std::string error;
    std::shared_ptr<Folder> folder = tree.Open(folders[i], &error);
    if (!folder || !folder->List(listing, &error)) {
      result_.Fail("read folder", folderPath, error);
      return false;
    }
    for (const std::string& file : listing.files) {
      std::optional<FindEntry> entry = folder->LookUp(file);
      files.push_back(DoomedFile{folders[i].Join(file), entry ? FileSizeOf(*entry) : 0});
      if (ChangeLog::IsLogName(file)) {
        result_.Fail("delete", folder->PathOf(file), makeWay + "but change logs are never deleted");
        return false;
      }
    }
    for (const std::string& sub : listing.folders) {
      folders.push_back(folders[i].Join(sub));
      if (sub[0] == '.') {
        result_.Fail("delete", folder->PathOf(sub),
                     makeWay + "but folders whose names begin with \".\" are never deleted");
        return false;
      }
    }
  }
  if (!RemoveFromFtpWebNow(tree, files)) return false;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    std::string error;
    std::shared_ptr<Folder> holder = tree.Open(it->Parent(), &error);
    if (!holder || !holder->DeleteFolder(std::string(it->Name()), &error)) {
      result_.Fail("delete", it->NativeIn(parent->Path()), error);
      return false;
    }
  }
  return true;
}

bool ConversionRun::LogDeleted(const std::string& path, std::int64_t size) {
  // A deleted file's line holds its size.
  return log_.Write(LogKey(path), std::to_string(size));
}

bool ConversionRun::RemoveFromFtpWebNow(HeldTree& tree, const std::vector<DoomedFile>& files) {
  const std::string base = tree.Root()->Path();
  result_.deletedFound += static_cast<std::int64_t>(files.size());
  if (policy_.reportDeleted && !files.empty()) {
    // Logged as the sweep logs them, and on disk before anything goes.
    log_.Switch(LogSection::kDeleted);
    bool logged = true;
    for (const DoomedFile& file : files)
      logged = LogDeleted(file.file.NativeIn(base), file.size) && logged;
    log_.Switch(LogSection::kChanged);
    if (!queue_.Flush() || !logged) {
      if (writingStopped_) return false;
      for (const DoomedFile& file : files)
        result_.Fail("delete", file.file.NativeIn(base),
                     "withheld because the change log could not be written");
      return false;
    }
  }
  for (const DoomedFile& file : files) {
    std::string error;
    std::shared_ptr<Folder> holder = tree.Open(file.file.Parent(), &error);
    if (!holder || !holder->DeleteFile(std::string(file.file.Name()), &error)) {
      result_.Fail("delete", file.file.NativeIn(base), error);
      return false;
    }
    ++result_.deleted;
  }
  return true;
}

}  // namespace tarnwick
