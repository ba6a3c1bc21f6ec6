#include "engine/conversion_run.h"

#include <algorithm>

#include "base/path.h"
#include "base/text.h"
#include "rules/web_folders.h"

namespace tarnwick {

ConversionRun::ConversionRun(const Options& options, std::vector<std::string> skipList,
                             RunObserver* observer, FileSystem& fs)
    : policy_(options),
      observer_(observer ? observer : &nullObserver_),
      fs_(fs),
      log_(result_),
      queue_(fs, log_, result_),
      destChain_(result_,
                 [this](const std::shared_ptr<Folder>& parent, const std::string& name) {
                   return ReplaceFtpFileWithFolder(parent, name);
                 }),
      uploadsChain_(result_) {
  for (std::string& item : skipList) skipList_.push_back(LowerCase(item));
  // An FTP web or uploads folder that another folder has replaced gets nothing more: neither
  // the folder moved away, which the user no longer sees there, nor what took its place.
  // Every entry's FTP web folder is made first, so that chain asks for both.
  destChain_.CheckBaseWith([this] { return TargetsCurrent(); });
  queue_.CheckTargetsWith([this] { return TargetsCurrent(); });
}

Refusal ConversionRun::CheckFolders(const std::string& source, const std::string& destination,
                                    FileSystem& fs) {
  return FolderCheck(source, destination, fs).Run();
}

RunResult ConversionRun::Run(const std::string& source, const std::string& destination) {
  SourcePath = source;
  DestPath = destination;
  UploadsPath = DestPath + kUploadsSuffix;
  result_ = RunResult();
  result_.refusal = CheckFolders(source, destination, fs_);
  if (result_.refusal) return result_;
  // Held until the run returns, by whichever front end started it.
  std::vector<FolderLock> locks;
  result_.refusal = HoldFolders(locks);
  // The folders may have been made or changed since they were checked; now that no other run
  // can change them, the check is made again.
  if (!result_.refusal) result_.refusal = CheckFolders(source, destination, fs_);
  std::string error;
  if (!result_.refusal && !fs_.FolderIdentity(source, sourceIdentity_, &error))
    result_.refusal = Refusal{RefusalKind::kSourceMissing, "The FrontPage web \"" + source +
                                                               "\" cannot be read: " + error + "."};
  if (!result_.refusal) result_.refusal = CheckWritable();
  if (result_.refusal) return result_;

  Scan();
  if (!Cancelled()) {
    CopyChangedFiles();
    if (!Stopped() && policy_.sweepWanted) SweepDeletedFiles();
  }
  ReleaseFolders();
  return result_;
}

Refusal ConversionRun::HoldFolders(std::vector<FolderLock>& locks) {
  // A folder that does not exist yet cannot be held, so the ones this run will make anyway
  // are made first. One that cannot be made, or a file system without such locks, is run
  // without the hold; its failures show in the run as before.
  std::vector<const std::string*> made;
  for (const std::string* folder : {&DestPath, &UploadsPath}) {
    bool madeHere = false;
    if (folder == &DestPath || policy_.uploadsMade) fs_.CreateFolder(*folder, nullptr, &madeHere);
    if (madeHere) made.push_back(folder);
    FolderLock lock;
    std::string error;
    LockOutcome outcome = fs_.LockFolder(*folder, lock, &error);
    if (outcome == LockOutcome::kBusy) {
      // A refused run leaves nothing: what it made is taken away again, while still empty
      // (let go first: Windows deletes no folder that is held open).
      locks.clear();
      for (auto it = made.rbegin(); it != made.rend(); ++it) fs_.DeleteFolder(**it, nullptr);
      return Refusal{RefusalKind::kBusy,
                     "Another conversion is running on the FTP web \"" + DestPath +
                         "\" or its uploads folder. Please wait until it has finished, then "
                         "start again."};
    }
    if (outcome == LockOutcome::kTaken) locks.push_back(std::move(lock));
  }
  return Refusal{};
}

// A folder that may not be written would fail every file of the web, one by one, after the
// whole scan: it is found before, by writing a probe of a log leftover's name (so that a run
// killed right then leaves nothing that the next run does not clear).
Refusal ConversionRun::CheckWritable() {
  for (const std::string* folder : {&DestPath, &UploadsPath}) {
    if (folder == &UploadsPath && !policy_.uploadsMade) continue;
    std::string error;
    std::unique_ptr<Folder> held;
    if (fs_.CreateFolder(*folder, &error))
      held = fs_.OpenFolder(StripTrailingSeparators(*folder), &error);
    const std::string probe = ChangeLog::ProbeName();
    // A file of that name (a leftover, or the web's own) answers nothing; the run goes ahead.
    if (held && held->LookUp(probe)) continue;
    if (held && held->AppendToFile(probe, std::string(), &error)) {
      held->DeleteFile(probe, nullptr);
      continue;
    }
    const std::string what = folder == &DestPath ? "The FTP web \"" : "The uploads folder \"";
    return Refusal{RefusalKind::kUnwritable,
                   what + *folder + "\" cannot be made or written: " + error +
                       ". Nothing was converted; please choose a destination you may write to."};
  }
  return Refusal{};
}

// ---- scan -------------------------------------------------------------------------------

void ConversionRun::Scan() {
  WorkList.clear();
  workSplit_.clear();
  FolderCount = 0;
  sourceRoot_ = StripTrailingSeparators(SourcePath);
  destRoot_ = StripTrailingSeparators(DestPath);
  unlistedSourceFolders_.clear();
  sweepStopped_ = false;
  writingStopped_ = false;

  FolderListing root;
  std::string error;
  sourceRootFolder_ = fs_.OpenFolder(sourceRoot_, &error);
  sourceRootListed_ = sourceRootFolder_ && sourceRootFolder_->List(root, &error);
  // The sweep asks the web's path whether it still names the folder held.
  if (FileIdentity held; sourceRootFolder_ && sourceRootFolder_->HeldIdentity(held))
    sourceIdentity_ = held;
  sourceTree_.Reset(sourceRootFolder_);
  if (!sourceRootListed_) {
    result_.Fail("read folder", sourceRoot_, error);
  } else {
    AddEntries(WebPath(), root.files);
    WalkSubfolders(
        *sourceRootFolder_, WebPath(), root,
        [this](const std::string& name, const WebPath& relative, const FolderListing& child,
               const std::shared_ptr<Folder>&) {
          if (IsExcludedFolder(name)) return;
          AddEntries(relative, child.files);
          ++FolderCount;
        },
        true);
  }
  if (!Cancelled() && policy_.keepUsedFiles) AddKeptFiles();
  result_.entries = static_cast<std::int64_t>(WorkList.size());
}

void ConversionRun::AddEntries(const WebPath& relative, const std::vector<std::string>& files) {
  for (const std::string& name : files) {
    if (relative.IsRoot() && ChangeLog::IsLogName(name)) {
      // The FTP web's latest-run log and the uploads folder's accumulated log have this name
      // and place; a copy would overwrite both and count as new on every run.
      result_.notices.push_back("The web's own " + relative.Join(name).NativeIn(sourceRoot_) +
                                " is not copied: the FTP web and its uploads folder keep their "
                                "change logs under that name.");
      continue;
    }
    AddEntry(relative, name);
    Status("Analysing >>> found " + std::to_string(FolderCount) + " folders, containing " +
           std::to_string(WorkList.size()) + " files.");
    Yield();
  }
}

void ConversionRun::AddEntry(const WebPath& relative, const std::string& name) {
  WorkList.push_back(relative.Text() + "^" + name);
  workSplit_.push_back(relative.Text().size());
  observer_->EntryAdded(WorkList.back());
}

void ConversionRun::WalkSubfolders(Folder& folder, const WebPath& relative,
                                   const FolderListing& listing, const FolderVisit& visit,
                                   bool source) {
  // One read per folder serves both the handling of its files and the walk of its
  // sub-folders. Folders whose names begin with "." are neither handled nor entered; each is
  // opened from the one above it, so a link or a mount put in the way is never entered.
  for (const std::string& name : listing.folders) {
    if (!IsWalkedFolder(name)) continue;
    if (Stopped()) return;
    if (source && relative.IsRoot() && ChangeLog::IsLogName(name)) {
      // Its copy would stand where the FTP web and its uploads folder write their change
      // logs, and every run would fail on it.
      result_.notices.push_back("The web's own folder " +
                                relative.Join(name).NativeIn(sourceRoot_) +
                                " is not copied: the FTP web and its uploads folder keep their "
                                "change logs under that name.");
      continue;
    }
    const WebPath childRelative = relative.Join(name);
    FolderListing child;
    std::string error;
    std::shared_ptr<Folder> opened = folder.OpenFolder(name, &error);
    if (!opened || !opened->List(child, &error)) {
      result_.Fail("read folder", folder.PathOf(name), error);
      if (source) unlistedSourceFolders_.insert(childRelative.Key());
      continue;
    }
    visit(name, childRelative, child, opened);
    WalkSubfolders(*opened, childRelative, child, visit, source);
  }
}

// Nothing stays held once the run is over.
void ConversionRun::ReleaseFolders() {
  sourceRootFolder_.reset();
  destRootFolder_.reset();
  uploadsRootFolder_.reset();
  ReleaseChains();
  sourceTree_.Reset(nullptr);
  queue_.SetRoots(nullptr, nullptr);
  log_.Open(destRoot_, nullptr, UploadsPath, nullptr, false);
}

bool ConversionRun::TargetsCurrent() {
  if (writingStopped_) return false;
  for (const auto& [path, held] :
       {std::pair(&destRoot_, &destRootFolder_), std::pair(&UploadsPath, &uploadsRootFolder_)}) {
    FileIdentity was, now;
    if (held == &uploadsRootFolder_ && !policy_.uploadsMade) continue;  // nothing goes there
    if (!*held || !(*held)->HeldIdentity(was)) continue;
    if (!fs_.FolderIdentity(*path, now, nullptr) || !(now == was)) {
      StopWriting(*path);
      return false;
    }
  }
  return true;
}

void ConversionRun::StopWriting(const std::string& path) {
  if (writingStopped_) return;
  writingStopped_ = true;
  log_.Stop();
  result_.Fail("check", path,
               "this folder has gone or another folder has taken its place during the run; the "
               "run stopped and wrote nothing more");
}

void ConversionRun::AddKeptFiles() {
  // The pages are read for the files they use; those go into the work list after the scan's.
  kept_ = keptFilesProvider_ ? keptFilesProvider_(sourceRoot_) : KeptFiles();
  kept_.complete = kept_.complete && !Cancelled();
  for (const std::string& path : kept_.files) {
    const WebPath file = WebPath::FromSlashed(path);
    AddEntry(file.Parent(), std::string(file.Name()));
  }
}

// ---- reporting ----------------------------------------------------------------------------

void ConversionRun::Status(const std::string& text) { observer_->StatusChanged(text); }

void ConversionRun::Yield() { observer_->Yield(); }

bool ConversionRun::Cancelled() {
  if (!result_.cancelled && observer_->CancelRequested()) result_.cancelled = true;
  return result_.cancelled;
}

}  // namespace tarnwick
