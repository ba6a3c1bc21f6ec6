#include "engine/conversion_run.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "check/site_check.h"
#include "engine/helpers.h"
#include "engine/web_folders.h"
#include "platform/path_folder.h"

namespace tarnwick {
namespace {

constexpr const char* kLogName = "changes.ini";

// Log lines wait at most this long, or for this many files, before they go to disk together.
constexpr std::size_t kMaxPendingActions = 256;
constexpr auto kMaxPendingTime = std::chrono::milliseconds(250);
// Folders the waiting copies may hold open between two flushes.
constexpr std::size_t kMaxHeldFolders = 64;

// A temporary file of a rewrite of a change log that a killed run left behind. It is ours: it
// is neither a deleted file of the web nor anything to upload. Only the exact names the
// writer makes count; a file of the web that merely starts alike is the user's.
bool IsLogLeftover(const std::string& name) { return IsReplaceTempName(name, kLogName); }

bool IsLogName(const std::string& name) { return LowerCase(name) == kLogName; }

bool Contains(const std::vector<FileIdentity>& chain, const FileIdentity& identity) {
  return std::find(chain.begin(), chain.end(), identity) != chain.end();
}

// The folder that holds path, as text; the destination's parent is only looked at, never made.
std::string ParentText(const std::string& path) {
  std::string parent = StripTrailingSeparators(path);
  std::size_t cut = parent.find_last_of(kPathSeparator);
#ifdef _WIN32
  std::size_t slash = parent.find_last_of('/');
  if (slash != std::string::npos && (cut == std::string::npos || slash > cut)) cut = slash;
#endif
  parent = cut == std::string::npos ? std::string(".") : parent.substr(0, cut == 0 ? 1 : cut);
#ifdef _WIN32
  if (parent.size() == 2 && parent[1] == ':') parent += kPathSeparator;
#endif
  return parent;
}

// A folder and every folder above it; when the folder itself does not exist (or is no
// folder), the folders above it only. False when even those cannot be walked.
bool FolderOrParentChain(FileSystem& fs, const std::string& folder,
                         std::vector<FileIdentity>& chain, bool& isFolder, std::string& error) {
  isFolder = fs.FolderAncestry(folder, chain, &error);
  if (isFolder) return true;
  // Passed over only when no folder is there: one that cannot be walked might be anywhere. One
  // made just now (by another run) is walked again.
  std::optional<FindEntry> entry = fs.LookUp(folder);
  if (entry && entry->IsFolder()) return isFolder = fs.FolderAncestry(folder, chain, &error);
  if (!entry && fs.Inaccessible(folder, nullptr)) return false;
  return fs.FolderAncestry(ParentText(folder), chain, &error);
}

// The FTP web whose uploads folder this is: the name ends in the uploads suffix and the
// folder without that ending exists beside it. Empty when it is none.
std::string UploadsFolderOwner(FileSystem& fs, const std::string& folder) {
  const std::string text = StripTrailingSeparators(folder);
  const std::string suffix = kUploadsSuffix;
  if (text.size() <= suffix.size() ||
      !EqualsNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix))
    return std::string();
  const std::string owner = text.substr(0, text.size() - suffix.size());
  if (IsPathSeparator(owner.back())) return std::string();
  std::optional<FindEntry> entry = fs.LookUp(owner);
  FileIdentity identity;
  if ((entry && entry->IsFolder()) || fs.FolderIdentity(owner, identity, nullptr)) return owner;
  return std::string();
}

// A folder at the top of a folder holding the extensions' own data ("_vti", "_private") with
// files of its own: the folder is a FrontPage web, for no run ever copies such a folder's own
// files (its clean sub-folders are copied, so the folder itself may stand in an FTP web).
// Files at the top do not count (a web's own "_vti_inf.html" is copied into its FTP web), nor
// do "_borders", "_overlay" and "_fpclass", which may keep what the pages use. A folder that
// cannot be read counts: nothing is deleted on a guess.
std::string FrontPageFolderIn(FileSystem& fs, const std::string& folder) {
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return std::string();
  for (const std::string& name : listing.folders) {
    if (!IsPrivateFolder(name)) continue;
    FolderListing inside;
    if (!fs.ReadFolder(AddBackslash(folder) + name, inside, nullptr) || !inside.files.empty())
      return name;
  }
  return std::string();
}

bool EndsWithSeparator(const std::string& path) {
  if (path.empty()) return false;
  char last = path.back();
#ifdef _WIN32
  return last == '\\' || last == '/';
#else
  return last == '/';
#endif
}

void AppendEscape(std::string& key, char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  key += '%';
  key += kHex[static_cast<unsigned char>(c) >> 4];
  key += kHex[static_cast<unsigned char>(c) & 0x0F];
}

}  // namespace

// The profile syntax cannot hold "=" or line breaks in a key, drops blanks at its ends and
// takes a line starting with "[" or ";" for something else. Those characters are written
// percent-encoded, so the log still records the file. A "%" is left as it is: names such as
// "my%20page.htm" are common in webs and stay readable.
std::string LogKey(const std::string& path) {
  const std::size_t first = path.find_first_not_of(" \t");
  const std::size_t last = path.find_last_not_of(" \t");
  std::string key;
  key.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    const bool atEnd = first == std::string::npos || i < first || i > last;
    if (c == '=' || c == '\r' || c == '\n' || (atEnd && (c == ' ' || c == '\t')) ||
        (i == first && (c == '[' || c == ';'))) {
      AppendEscape(key, c);
    } else {
      key += c;
    }
  }
  return key;
}

ConversionRun::ConversionRun(const Options& options, std::vector<std::string> skipList,
                             RunObserver* observer, FileSystem& fs)
    : options_(options),
      observer_(observer ? observer : &nullObserver_),
      fs_(fs),
      destLog_(fs),
      uploadsLog_(fs) {
  for (std::string& item : skipList) skipList_.push_back(LowerCase(item));
}

bool ConversionRun::SweepWanted(const Options& options) {
  return options.ReportDeleted != 0 || (options.KillDeleted != 0 && options.CheckForChanges != 0);
}

bool ConversionRun::FtpClientWanted(const Options& options) {
  return !options.FTPPath.empty() && options.LaunchFTP != 0;
}

Refusal ConversionRun::CheckFolders(const std::string& source, const std::string& destination,
                                    FileSystem& fs) {
  auto refuse = [](RefusalKind kind, std::string message) {
    return Refusal{kind, std::move(message)};
  };
  if (TrimSpaces(source).empty())
    return refuse(RefusalKind::kEmptySource, "Please choose the FrontPage web to convert.");
  if (TrimSpaces(destination).empty())
    return refuse(RefusalKind::kEmptyDestination,
                  "Please choose the destination folder for the FTP web.");
#ifdef _WIN32
  if (LowerCase(source) == LowerCase(destination))
    return refuse(RefusalKind::kSameFolders, kSameFoldersMessage);
#else
  // Names that differ only in case may be two folders here; the identities below decide.
  if (source == destination) return refuse(RefusalKind::kSameFolders, kSameFoldersMessage);
#endif

  FileIdentity sourceId;
  std::string error;
  if (!fs.FolderIdentity(source, sourceId, &error)) {
    std::optional<FindEntry> entry = fs.LookUp(source);
    if ((entry && entry->IsFolder()) || (!entry && fs.Inaccessible(source, nullptr)))
      return refuse(RefusalKind::kSourceMissing,
                    "The FrontPage web \"" + source + "\" cannot be read: " + error + ".");
    return refuse(RefusalKind::kSourceMissing,
                  "The FrontPage web \"" + source + "\" does not exist or is not a folder.");
  }

  const std::string uploads = destination + kUploadsSuffix;
  std::vector<FileIdentity> sourceChain, destChain, uploadsChain;
  bool destIsFolder = false;
  bool uploadsIsFolder = false;
  auto uncheckable = [&] {
    return refuse(RefusalKind::kUncheckable,
                  "The folders \"" + source + "\" and \"" + destination +
                      "\" cannot be told apart: " + error +
                      ". Nothing was converted; please try again when both can be reached.");
  };
  if (!FolderOrParentChain(fs, destination, destChain, destIsFolder, error)) {
    // Only the destination itself is created; a mistyped parent would otherwise leave a run
    // that copies nothing.
    const std::string parent = ParentText(destination);
    std::optional<FindEntry> parentEntry = fs.LookUp(parent);
    if (fs.Inaccessible(parent, nullptr) || (parentEntry && parentEntry->IsFolder()))
      return uncheckable();
    return refuse(RefusalKind::kDestinationParentMissing,
                  "The folder \"" + parent + "\" that should hold the destination does not exist.");
  }
  if (destIsFolder && destChain.front() == sourceId)
    return refuse(RefusalKind::kSameFolders, kSameFoldersMessage);
  if (EndsWithSeparator(destination))
    return refuse(RefusalKind::kUploadsInsideDestination,
                  "The destination \"" + destination +
                      "\" ends with a folder separator, so its uploads folder would lie inside "
                      "the FTP web and be swept away. Please remove the separator at the end.");
  if (!fs.FolderAncestry(source, sourceChain, &error) ||
      !FolderOrParentChain(fs, uploads, uploadsChain, uploadsIsFolder, error))
    return uncheckable();
  if (uploadsIsFolder && uploadsChain.front() == sourceId)
    return refuse(RefusalKind::kUploadsFolder,
                  "The FrontPage web \"" + source + "\" is the uploads folder of the FTP web \"" +
                      destination + "\". Please choose the FrontPage web itself.");
  if (Contains(destChain, sourceId) || Contains(uploadsChain, sourceId))
    return refuse(RefusalKind::kNested,
                  "The destination \"" + destination +
                      "\" or its uploads folder lies inside the FrontPage web. The FTP web would "
                      "be copied into itself. Please choose a folder outside the web.");
  if ((destIsFolder && Contains(sourceChain, destChain.front())) ||
      (uploadsIsFolder && Contains(sourceChain, uploadsChain.front())))
    return refuse(RefusalKind::kNested,
                  "The FrontPage web \"" + source +
                      "\" lies inside the destination or its uploads folder, where the sweep "
                      "would remove it. Please choose a destination outside the web.");

  if ((destIsFolder && Contains(uploadsChain, destChain.front())) ||
      (uploadsIsFolder && Contains(destChain, uploadsChain.front())))
    return refuse(RefusalKind::kUploadsInsideDestination,
                  "The uploads folder \"" + uploads + "\" and the destination \"" + destination +
                      "\" lie one inside the other, so the uploads would be swept away or "
                      "copied into the FTP web. Please choose another destination.");
  if (std::string owner = UploadsFolderOwner(fs, source); !owner.empty())
    return refuse(RefusalKind::kUploadsFolder,
                  "The FrontPage web \"" + source + "\" is the uploads folder of the FTP web \"" +
                      owner + "\". Please choose the FrontPage web itself.");
  if (std::string owner = UploadsFolderOwner(fs, destination); !owner.empty())
    return refuse(RefusalKind::kUploadsFolder,
                  "The destination \"" + destination +
                      "\" is the uploads folder of the FTP web \"" + owner +
                      "\". Converting into it would delete its files and replace its change "
                      "log. Please choose another destination.");
  if (destIsFolder) {
    if (std::string found = FrontPageFolderIn(fs, destination); !found.empty())
      return refuse(RefusalKind::kDestinationIsWeb,
                    "The destination \"" + destination +
                        "\" is a FrontPage web: it holds the folder \"" + found +
                        "\". Converting into it would delete its files. Please choose another "
                        "destination.");
  }
  return Refusal{};
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
  if (result_.refusal) return result_;

  WorkList.clear();
  workSplit_.clear();
  FolderCount = 0;
  sourceRoot_ = StripTrailingSeparators(SourcePath);
  destRoot_ = StripTrailingSeparators(DestPath);
  unlistedSourceFolders_.clear();
  sweepStopped_ = false;

  FolderListing root;
  sourceRootListed_ = fs_.ReadFolder(sourceRoot_, root, &error);
  if (!sourceRootListed_) {
    Fail("read folder", sourceRoot_, error);
  } else {
    AddEntries(std::string(), root.files);
    ScanListing(std::string(), root);
  }
  if (!Cancelled() && options_.KeepUsedFiles != 0) AddKeptFiles();
  result_.entries = static_cast<std::int64_t>(WorkList.size());
  if (Cancelled()) return result_;

  CopyChangedFiles();
  if (!result_.cancelled && SweepWanted(options_)) SweepDeletedFiles();
  return result_;
}

Refusal ConversionRun::HoldFolders(std::vector<FolderLock>& locks) {
  // A folder that does not exist yet cannot be held, so the ones this run will make anyway
  // are made first. One that cannot be made, or a file system without such locks, is run
  // without the hold; its failures show in the run as before.
  const bool uploadsMade = options_.CreateUploadsDir != 0 && options_.CheckForChanges != 0;
  for (const std::string* folder : {&DestPath, &UploadsPath}) {
    if (folder == &DestPath || uploadsMade) fs_.CreateFolder(*folder, nullptr);
    FolderLock lock;
    std::string error;
    LockOutcome outcome = fs_.LockFolder(*folder, lock, &error);
    if (outcome == LockOutcome::kBusy)
      return Refusal{RefusalKind::kBusy,
                     "Another conversion is running on the FTP web \"" + DestPath +
                         "\" or its uploads folder. Please wait until it has finished, then "
                         "start again."};
    if (outcome == LockOutcome::kTaken) locks.push_back(std::move(lock));
  }
  return Refusal{};
}

// ---- scan -------------------------------------------------------------------------------

void ConversionRun::AddEntries(const std::string& relative, const std::vector<std::string>& files) {
  for (const std::string& name : files) {
    if (relative.empty() && IsLogName(name)) {
      // The FTP web's latest-run log and the uploads folder's accumulated log have this name
      // and place; a copy would overwrite both and count as new on every run.
      result_.notices.push_back("The web's own " + sourceRoot_ + kPathSeparator + name +
                                " is not copied: the FTP web and its uploads folder keep their "
                                "change logs under that name.");
      continue;
    }
    WorkList.push_back(relative + "^" + name);
    workSplit_.push_back(relative.size());
    observer_->EntryAdded(WorkList.back());
    Status("Analysing >>> found " + std::to_string(FolderCount) + " folders, containing " +
           std::to_string(WorkList.size()) + " files.");
    Yield();
  }
}

void ConversionRun::WalkSubfolders(const std::string& root, const std::string& relative,
                                   const FolderListing& listing, const FolderVisit& visit,
                                   bool source) {
  // One read per folder serves both the handling of its files and the walk of its
  // sub-folders. Folders whose names begin with "." are neither handled nor entered.
  for (const std::string& name : listing.folders) {
    if (name.empty() || name[0] == '.') continue;
    if (Cancelled()) return;
    std::string childRelative = relative + kPathSeparator + name;
    FolderListing child;
    std::string error;
    if (!fs_.ReadFolder(root + childRelative, child, &error)) {
      Fail("read folder", root + childRelative, error);
      if (source) unlistedSourceFolders_.insert(FolderKey(childRelative));
      continue;
    }
    visit(name, childRelative, child);
    WalkSubfolders(root, childRelative, child, visit, source);
  }
}

void ConversionRun::ScanListing(const std::string& relative, const FolderListing& listing) {
  WalkSubfolders(
      sourceRoot_, relative, listing,
      [this](const std::string& name, const std::string& childRelative,
             const FolderListing& child) {
        if (!IsExcludedFolder(name)) {
          AddEntries(childRelative, child.files);
          ++FolderCount;
        }
      },
      true);
}

namespace {

// The run's observer as the site check's: status, yield and a stop request carry over.
class CheckRelay : public CheckObserver {
 public:
  explicit CheckRelay(RunObserver& run) : run_(run) {}
  void StatusChanged(const std::string& text) override { run_.StatusChanged(text); }
  void Yield() override { run_.Yield(); }
  bool CancelRequested() override { return run_.CancelRequested(); }

 private:
  RunObserver& run_;
};

}  // namespace

void ConversionRun::AddKeptFiles() {
  // The pages are read for the files they use; those go into the work list after the scan's.
  CheckRelay relay(*observer_);
  std::vector<CheckError> errors;
  keptFiles_ = KeptFilesOfPages(sourceRoot_, options_, skipList_, &relay, fs_, &errors);
  keptComplete_ = errors.empty() && !Cancelled();
  for (const std::string& path : keptFiles_) {
    std::string relative = path;
    for (char& c : relative)
      if (c == '/') c = kPathSeparator;
    const std::size_t cut = relative.rfind(kPathSeparator);
    const std::string folder = std::string(1, kPathSeparator) + relative.substr(0, cut);
    workSplit_.push_back(folder.size());
    WorkList.push_back(folder + "^" + relative.substr(cut + 1));
    observer_->EntryAdded(WorkList.back());
  }
}

// A file of the FTP web in _borders, _overlay or _fpclass that no page uses any more, while
// its source is still there: with the option on it goes like a deleted file.
bool ConversionRun::NoLongerKept(const std::string& relative, const std::string& name) const {
  if (options_.KeepUsedFiles == 0 || !keptComplete_ || relative.empty()) return false;
  std::string path;
  std::string last;
  for (std::size_t start = 1; start <= relative.size();) {
    std::size_t end = relative.find(kPathSeparator, start);
    if (end == std::string::npos) end = relative.size();
    last = relative.substr(start, end - start);
    if (!IsWalkedFolder(last) || IsPrivateFolder(last)) return false;
    path += last + "/";
    start = end + 1;
  }
  if (!IsExcludedFolder(last)) return false;
  return !std::binary_search(keptFiles_.begin(), keptFiles_.end(), path + name);
}

// ---- copy phase ---------------------------------------------------------------------------

void ConversionRun::CopyChangedFiles() {
  const bool checking = options_.CheckForChanges != 0;
  destLog_.IniFile = destRoot_ + kPathSeparator + kLogName;
  destLog_.IniSection = "Changed";
  uploadsLog_.IniFile = UploadsPath + kPathSeparator + kLogName;
  uploadsLog_.IniSection = "Changed";

  std::string error;
  if (!fs_.CreateFolder(DestPath, &error)) Fail("create folder", DestPath, error);
  if (options_.CreateUploadsDir != 0 && checking && !fs_.CreateFolder(UploadsPath, &error))
    Fail("create folder", UploadsPath, error);
  const std::size_t n = WorkList.size();
  if (fs_.LookUp(destLog_.IniFile) && !fs_.DeleteFile(destLog_.IniFile, &error)) {
    Fail("delete", destLog_.IniFile, error);
    // Emptied instead, the latest-run log still describes this run alone.
    fs_.ReplaceFile(destLog_.IniFile, std::string(), &error);
  }

  for (const std::string& folder : {destRoot_, UploadsPath}) {
    for (const std::string& name : ListFiles(fs_, folder)) {
      if (!IsLogLeftover(name)) continue;
      // A file of that name in the web is copied like any other, never cleared.
      const std::string counterpart = sourceRoot_ + kPathSeparator + name;
      if (fs_.LookUp(counterpart) || fs_.Inaccessible(counterpart, nullptr)) continue;
      std::string path = folder + kPathSeparator + name;
      if (!fs_.DeleteFile(path, &error)) Fail("delete", path, error);
    }
  }
  // The probe has a log leftover's name, so that a run killed right then leaves nothing new.
  destTimeStep_ = 1;
  if (checking && options_.CompareDate != 0)
    destTimeStep_ =
        fs_.WriteTimeStep(destRoot_ + kPathSeparator + ReplaceTempPrefix(kLogName) + "0");

  destLog_.DeferWrites(true);
  uploadsLog_.DeferWrites(true);
  lastFlush_ = std::chrono::steady_clock::now();
  destFolderMemo_ = FolderMemo();
  uploadsFolderMemo_ = FolderMemo();
  sourceFolder_.reset();
  const std::string total = " of " + std::to_string(n) + " files.";
  for (std::size_t i = 0; i < n; ++i) {
    if (Cancelled()) break;
    ProcessEntry(i);
    MaybeFlush();
    Status("Copying >>> " + std::to_string(i + 1) + total);
    Yield();
  }
  FlushLogs();
  destLog_.DeferWrites(false);
  uploadsLog_.DeferWrites(false);
  destFolderMemo_ = FolderMemo();
  uploadsFolderMemo_ = FolderMemo();
  sourceFolder_.reset();
}

bool ConversionRun::SkipListed(const std::string& fileName) const {
  if (skipList_.empty()) return false;
  std::string lowered = LowerCase(fileName);
  return std::find(skipList_.begin(), skipList_.end(), lowered) != skipList_.end();
}

bool ConversionRun::HeldBaseIsCurrent(const FolderMemo& memo, const std::string& base) {
  FileIdentity held, now;
  return !memo.chain.empty() && memo.chain.front()->HeldIdentity(held) &&
         fs_.FolderIdentity(base, now, nullptr) && now == held;
}

ConversionRun::Chain ConversionRun::EnsureFolderChain(const std::string& base,
                                                      const std::string& relative, FolderMemo& memo,
                                                      bool replaceFiles) {
  // Entries come folder by folder, so remembering the last folder saves its creation for every
  // further file, and a folder that cannot be made is reported once.
  if (memo.valid && memo.relative == relative) return memo.result;
  std::vector<std::string> names;
  for (std::size_t pos = 0; pos < relative.size();) {
    std::size_t next = relative.find(kPathSeparator, pos + 1);
    if (next == std::string::npos) next = relative.size();
    names.push_back(relative.substr(pos + 1, next - pos - 1));
    pos = next;
  }
  // The folders this chain shares with the last one stay held, as long as the base is still
  // the folder that was opened: one put in its place is taken as it is now.
  std::size_t kept = 0;
  if (!memo.chain.empty()) {
    // Folders named by path are made and looked at again each time, as they may have gone.
    if (!HeldBaseIsCurrent(memo, base)) {
      memo.chain.clear();
      // The copies waiting for their log lines go by their paths too.
      if (&memo == &destFolderMemo_)
        for (PendingAction& action : pending_) action.toFolder.reset();
    }
    std::size_t start = 0;
    while (kept < names.size() && kept + 1 < memo.chain.size()) {
      std::size_t end = start + 1 + names[kept].size();
      if (memo.relative.compare(start, end - start, relative, start, end - start) != 0 ||
          (end < memo.relative.size() && memo.relative[end] != kPathSeparator))
        break;
      start = end;
      ++kept;
    }
  }
  memo.valid = true;
  memo.relative = relative;
  memo.result = Chain::kFailed;
  memo.made = false;
  std::string error;
  if (memo.chain.empty()) {
    if (!fs_.CreateFolder(base, &error)) {
      Fail("create folder", base, error);
      return memo.result;
    }
    memo.chain.push_back(OpenFolder(base));
  }
  memo.chain.resize(kept + 1);
  for (std::size_t i = kept; i < names.size(); ++i) {
    Folder& parent = *memo.chain.back();
    const std::string path = parent.PathOf(names[i]);
    bool made = false;
    if (!parent.CreateFolder(names[i], made, &error)) {
      // A page of an earlier run where the web now has a folder of that name.
      std::optional<FindEntry> there = parent.LookUp(names[i]);
      if (!there || there->IsFolder()) {
        Fail("create folder", path, error);
        return memo.result;
      }
      if (!replaceFiles) {
        memo.result = Chain::kBlocked;
        return memo.result;
      }
      if (!ReplaceFtpFileWithFolder(path)) return memo.result;
    }
    // Never entered through a link: a link to a folder put in the way would carry the copies
    // out of the FTP web.
    std::unique_ptr<Folder> child = parent.OpenFolder(names[i], &error);
    if (!child) {
      Fail("create folder", path, error);
      return memo.result;
    }
    memo.chain.push_back(std::move(child));
    memo.made = made;
  }
  memo.result = Chain::kMade;
  return memo.result;
}

bool ConversionRun::ReplaceFtpFileWithFolder(const std::string& path) {
  std::size_t cut = path.find_last_of(kPathSeparator);
  if (IsLogName(cut == std::string::npos ? path : path.substr(cut + 1))) {
    Fail("create folder", path, "a change log of that name is in the way; those are never deleted");
    return false;
  }
  std::string error;
  if (!RemoveFromFtpWebNow({path})) return false;
  if (!fs_.CreateFolder(path, &error)) {
    Fail("create folder", path, error);
    return false;
  }
  return true;
}

bool ConversionRun::RemoveFtpFolder(const std::string& path) {
  // Everything in it goes, or nothing: its files are logged as deleted first, like the
  // sweep's. Change logs and dot-folders are never the program's to delete.
  const std::string makeWay = "the folder " + path + " must make way for a page of that name, ";
  std::vector<std::string> folders{path};
  std::vector<std::string> files;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    FolderListing listing;
    std::string error;
    if (!fs_.ReadFolder(folders[i], listing, &error)) {
      Fail("read folder", folders[i], error);
      return false;
    }
    for (const std::string& name : listing.files) {
      files.push_back(folders[i] + kPathSeparator + name);
      if (IsLogName(name)) {
        Fail("delete", files.back(), makeWay + "but change logs are never deleted");
        return false;
      }
    }
    for (const std::string& name : listing.folders) {
      folders.push_back(folders[i] + kPathSeparator + name);
      if (name[0] == '.') {
        Fail("delete", folders.back(),
             makeWay + "but folders whose names begin with \".\" are never deleted");
        return false;
      }
    }
  }
  if (!RemoveFromFtpWebNow(files)) return false;
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    std::string error;
    if (!fs_.DeleteFolder(*it, &error)) {
      Fail("delete", *it, error);
      return false;
    }
  }
  return true;
}

bool ConversionRun::RemoveFromFtpWebNow(const std::vector<std::string>& paths) {
  result_.deletedFound += static_cast<std::int64_t>(paths.size());
  const bool report = options_.CheckForChanges != 0 && options_.ReportDeleted != 0;
  if (report && !paths.empty()) {
    // Logged as the sweep logs them, and on disk before anything goes.
    destLog_.IniSection = "Deleted";
    uploadsLog_.IniSection = "Deleted";
    bool logged = true;
    for (const std::string& path : paths) {
      std::optional<FindEntry> entry = fs_.LookUp(path);
      logged = WriteLogs(LogKey(path), std::to_string(entry ? FileSizeOf(*entry) : 0)) && logged;
    }
    destLog_.IniSection = "Changed";
    uploadsLog_.IniSection = "Changed";
    if (!FlushLogs() || !logged) {
      for (const std::string& path : paths)
        Fail("delete", path, "withheld because the change log could not be written");
      return false;
    }
  }
  for (const std::string& path : paths) {
    std::string error;
    if (!fs_.DeleteFile(path, &error)) {
      Fail("delete", path, error);
      return false;
    }
    ++result_.deleted;
  }
  return true;
}

void ConversionRun::ProcessEntry(std::size_t index) {
  observer_->EntrySelected(index);
  const std::string& entry = WorkList[index];
  // The scan remembers where the folder ends, so "^" and blanks in names survive the split.
  std::size_t split = index < workSplit_.size() ? workSplit_[index] : entry.find('^');
  if (split == std::string::npos || split >= entry.size() || entry[split] != '^') return;
  const std::string relative = entry.substr(0, split);
  const std::string name = entry.substr(split + 1);
  const std::string sourceFile = sourceRoot_ + relative + kPathSeparator + name;
  const std::string destFile = destRoot_ + relative + kPathSeparator + name;

  if (EnsureFolderChain(destRoot_, relative, destFolderMemo_, true) != Chain::kMade) return;
  const bool checking = options_.CheckForChanges != 0;
  if (checking && options_.KillExtra != 0 && SkipListed(name)) return;

  std::shared_ptr<Folder> sourceFolder = SourceFolder(relative);
  std::shared_ptr<Folder> destFolder = destFolderMemo_.chain.back();
  std::optional<FindEntry> s = sourceFolder->LookUp(name);
  if (!s || s->IsFolder()) {
    // Vanished since the scan: nothing to copy or report. One that is there but cannot be
    // examined is a failure the user must hear of.
    std::string reason;
    if (sourceFolder->Inaccessible(name, &reason)) Fail("copy", sourceFile, reason);
    return;
  }
  // In a folder this run has just made, nothing can be there yet; should something have come
  // meanwhile, the copy still finds it.
  std::optional<FindEntry> d;
  if (!destFolderMemo_.made) d = destFolder->LookUp(name);
  if (d && d->IsFolder()) {
    // The web has a page where it had a folder of that name: the folder's copy makes way.
    if (!RemoveFtpFolder(destFile)) return;
    d.reset();
  }
  const bool isNew = !d;
  const bool dateChanged =
      !isNew && options_.CompareDate != 0 && !SameWriteTime(*s, *d, destTimeStep_);
  const bool sizeChanged = !isNew && options_.CompareSize != 0 && FileSizeOf(*s) != FileSizeOf(*d);

  const char* finding = nullptr;
  if (checking) {
    if (isNew) finding = "NEW Entry";
    // Date and size both changed is recorded twice under one key; the size finding stands.
    else if (sizeChanged)
      finding = "Size Changed";
    else if (dateChanged)
      finding = "Date Changed";
  }
  PendingAction copy{sourceFile, destFile, sourceFolder, destFolder, isNew};
  if (!finding) {
    CopyIntoFtpWeb(copy);
    return;
  }

  if (options_.CreateUploadsDir != 0) {
    const std::string uploadsFile = UploadsPath + relative + kPathSeparator + name;
    std::string error;
    Chain chain = EnsureFolderChain(UploadsPath, relative, uploadsFolderMemo_, false);
    bool copied =
        chain == Chain::kMade && uploadsFolderMemo_.chain.back()->CopyFileFrom(
                                     *sourceFolder, name, uploadsFolderMemo_.made, &error);
    bool blocked = chain == Chain::kBlocked;
    if (!copied && chain == Chain::kMade) {
      if (SourceVanished(sourceFile)) return;
      std::optional<FindEntry> there = fs_.LookUp(uploadsFile);
      blocked = there && there->IsFolder();
    }
    if (blocked) {
      // The uploads folder only grows, so an entry of the other kind from an earlier run
      // stays. The change is still logged and reaches the FTP web, so that later runs get
      // past it; this run names it once.
      Fail("copy", uploadsFile,
           "an entry of that name from an earlier run is in the way in the uploads folder and "
           "was kept; the change is logged and the new version is in the FTP web");
    } else if (!copied) {
      if (chain == Chain::kMade) CopyFailed(sourceFile, uploadsFile, error);
      // Leaving the FTP web copy as it was keeps the change visible to the next run.
      Fail("copy", destFile, "not updated, so that the next run retries the uploads copy");
      return;
    }
  }
  ++result_.reported;
  if (options_.ReportChanges != 0) {
    if (WriteLogs(LogKey(sourceFile), finding)) {
      // The copy waits for its log line; the folders it keeps open are few.
      if (pending_.empty() || pending_.back().toFolder != destFolder) {
        if (heldFolders_ >= kMaxHeldFolders) {
          copy.fromFolder.reset();
          copy.toFolder.reset();
        } else {
          ++heldFolders_;
        }
      }
      pending_.push_back(std::move(copy));
    } else {
      Fail("copy", destFile, "withheld because the change log could not be written");
    }
  } else {
    CopyIntoFtpWeb(copy);
  }
}

void ConversionRun::CopyIntoFtpWeb(const PendingAction& action) {
  if (!action.fromFolder || !action.toFolder) {
    CopyIntoFtpWeb(action.from, action.to);
    return;
  }
  const std::string name = action.to.substr(action.toFolder->Path().size() + 1);
  std::string error;
  if (action.toFolder->CopyFileFrom(*action.fromFolder, name, action.expectNew, &error))
    ++result_.copied;
  else
    CopyFailed(action.from, action.to, error);
}

std::shared_ptr<Folder> ConversionRun::OpenFolder(const std::string& path) {
  std::shared_ptr<Folder> folder = fs_.OpenFolder(path, nullptr);
  // One that cannot be held is named by its path, so everything in it fails or succeeds as
  // it would by itself.
  if (!folder) folder = std::make_shared<PathFolder>(fs_, path);
  return folder;
}

std::shared_ptr<Folder> ConversionRun::SourceFolder(const std::string& relative) {
  if (!sourceFolder_ || sourceFolderRelative_ != relative) {
    sourceFolder_ = OpenFolder(sourceRoot_ + relative);
    sourceFolderRelative_ = relative;
  }
  return sourceFolder_;
}

void ConversionRun::CopyIntoFtpWeb(const std::string& from, const std::string& to) {
  std::string error;
  if (fs_.CopyFile(from, to, &error))
    ++result_.copied;
  else
    CopyFailed(from, to, error);
}

bool ConversionRun::SourceVanished(const std::string& sourceFile) {
  return !fs_.LookUp(sourceFile) && !fs_.Inaccessible(sourceFile, nullptr);
}

void ConversionRun::CopyFailed(const std::string& from, const std::string& to,
                               const std::string& error) {
  // A source file that vanished since its look-up is neither copied nor reported, like one
  // that vanished since the scan. One that cannot be read is named itself.
  if (SourceVanished(from)) return;
  std::string reason;
  if (fs_.Inaccessible(from, &reason))
    Fail("copy", from, reason);
  else
    Fail("copy", to, error);
}

bool ConversionRun::WriteLogs(const std::string& key, const std::string& value) {
  bool ok = true;
  if (!destLog_.WriteIniValue(key, value)) {
    Fail("write log", destLog_.IniFile, destLog_.LastError());
    ok = false;
  }
  if (options_.CreateUploadsDir != 0 && !uploadsLog_.WriteIniValue(key, value)) {
    Fail("write log", uploadsLog_.IniFile, uploadsLog_.LastError());
    ok = false;
  }
  return ok;
}

void ConversionRun::MaybeFlush() {
  if (pending_.empty()) return;
  // Appends are cheap: they go out often. A flush that rewrites a long log waits until the
  // changes amount to an eighth of its lines, so the bytes written stay in proportion to
  // the changes rather than to the run's length times the log's size.
  std::size_t rewriteLines =
      std::max(destLog_.PendingRewriteLines(), uploadsLog_.PendingRewriteLines());
  if (rewriteLines > 0) {
    if (pending_.size() >= std::max(kMaxPendingActions, rewriteLines / 8)) FlushLogs();
    return;
  }
  if (pending_.size() >= kMaxPendingActions ||
      std::chrono::steady_clock::now() - lastFlush_ >= kMaxPendingTime)
    FlushLogs();
}

bool ConversionRun::FlushLogs() {
  lastFlush_ = std::chrono::steady_clock::now();
  bool ok = true;
  if (!destLog_.Flush()) {
    Fail("write log", destLog_.IniFile, destLog_.LastError());
    ok = false;
  }
  if (!uploadsLog_.Flush()) {
    Fail("write log", uploadsLog_.IniFile, uploadsLog_.LastError());
    ok = false;
  }
  std::vector<PendingAction> actions;
  actions.swap(pending_);
  heldFolders_ = 0;
  // An FTP web put in the place of the one these folders are in gets the copies by their
  // paths, as if no folder had been held.
  const bool held = std::any_of(actions.begin(), actions.end(),
                                [](const PendingAction& action) { return action.toFolder; });
  if (held && !HeldBaseIsCurrent(destFolderMemo_, destRoot_))
    for (PendingAction& action : actions) action.toFolder.reset();
  std::vector<std::string> deletions;
  for (const PendingAction& action : actions) {
    if (!ok) {
      // Without its log line the change would be forgotten; the next run finds it again.
      Fail(action.from.empty() ? "delete" : "copy", action.to,
           "withheld because the change log could not be written");
    } else if (action.from.empty()) {
      deletions.push_back(action.to);
    } else {
      CopyIntoFtpWeb(action);
    }
  }
  DeleteAllFromFtpWeb(deletions);
  return ok;
}

void ConversionRun::DeleteAllFromFtpWeb(const std::vector<std::string>& paths) {
  constexpr std::size_t kThreads = 4;
  if (paths.size() < 2 * kThreads || !fs_.ConcurrentDeletes()) {
    for (const std::string& path : paths) DeleteFromFtpWeb(path);
    return;
  }
  // Side by side; the results are taken in order afterwards on this thread.
  std::vector<std::string> errors(paths.size());
  std::vector<char> done(paths.size(), 0);
  {
    std::vector<std::jthread> workers;
    for (std::size_t t = 0; t < kThreads; ++t) {
      workers.emplace_back([&, t] {
        for (std::size_t i = t; i < paths.size(); i += kThreads)
          done[i] = fs_.DeleteFile(paths[i], &errors[i]) ? 1 : 0;
      });
    }
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (done[i])
      ++result_.deleted;
    else
      Fail("delete", paths[i], errors[i]);
  }
}

// ---- sweep --------------------------------------------------------------------------------

void ConversionRun::SweepDeletedFiles() {
  Status("Checking for Deleted Files...");
  Yield();
  // Without a listing of the web's own folder (its failure is listed already), or with the web
  // gone, every file of the FTP web would look deleted.
  if (!sourceRootListed_ || !SourceStillThere()) return;
  destLog_.IniFile = destRoot_ + kPathSeparator + kLogName;
  destLog_.IniSection = "Deleted";
  uploadsLog_.IniFile = UploadsPath + kPathSeparator + kLogName;
  uploadsLog_.IniSection = "Deleted";

  destLog_.DeferWrites(true);
  uploadsLog_.DeferWrites(true);
  lastFlush_ = std::chrono::steady_clock::now();
  FolderListing root;
  std::string error;
  if (fs_.ReadFolder(destRoot_, root, &error)) {
    SweepFiles(std::string(), root.files);
    SweepListing(std::string(), root);
  } else {
    Fail("read folder", destRoot_, error);
  }
  FlushLogs();
  destLog_.DeferWrites(false);
  uploadsLog_.DeferWrites(false);
}

bool ConversionRun::SourceStillThere() {
  if (sweepStopped_) return false;
  FileIdentity now;
  std::string error;
  if (fs_.FolderIdentity(sourceRoot_, now, &error) && now == sourceIdentity_) return true;
  if (error.empty()) error = "another folder has taken its place";
  Fail("check", sourceRoot_,
       "the FrontPage web has gone or cannot be read (" + error +
           "); the sweep stopped and deleted nothing more");
  sweepStopped_ = true;
  return false;
}

std::string ConversionRun::FolderKey(const std::string& relative) const {
#ifdef _WIN32
  return LowerCase(relative);
#else
  return relative;
#endif
}

bool ConversionRun::SourceFolderListed(const std::string& relative) const {
  if (!sourceRootListed_) return false;
  // A folder that the scan failed to list hides what became of everything below it.
  std::string key = FolderKey(relative);
  while (!key.empty()) {
    if (unlistedSourceFolders_.count(key) != 0) return false;
    std::size_t cut = key.find_last_of(kPathSeparator);
    key.resize(cut == std::string::npos ? 0 : cut);
  }
  return true;
}

void ConversionRun::SweepListing(const std::string& relative, const FolderListing& listing) {
  WalkSubfolders(
      destRoot_, relative, listing,
      [this](const std::string&, const std::string& childRelative, const FolderListing& child) {
        SweepFiles(childRelative, child.files);
      },
      false);
}

void ConversionRun::SweepFiles(const std::string& relative, const std::vector<std::string>& files) {
  if (sweepStopped_) return;
  const bool checking = options_.CheckForChanges != 0;
  const bool report = checking && options_.ReportDeleted != 0;
  const bool remove = checking && options_.KillDeleted != 0;
  std::vector<const std::string*> gone;
  std::shared_ptr<Folder> source = files.empty() ? nullptr : OpenFolder(sourceRoot_ + relative);
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
    if ((LowerCase(name) == kLogName || IsLogLeftover(name)) && relative.empty()) continue;
    const std::string sourceFile = sourceRoot_ + relative + kPathSeparator + name;
    const bool isListed = std::binary_search(listed.begin(), listed.end(), name);
    std::optional<FindEntry> counterpart;
    if (!isListed) counterpart = source->LookUp(name);
    std::string reason;
    if (!isListed && !counterpart && source->Inaccessible(name, &reason)) {
      // A source file that cannot be examined may well be there: never sweep on a guess.
      Fail("check", sourceFile, reason);
    } else if ((!isListed && (!counterpart || counterpart->IsFolder())) ||
               NoLongerKept(relative, name)) {
      gone.push_back(&name);
    }
    Yield();
  }
  if (gone.empty()) {
    // A folder held open is still looked at when the web has moved away from under it: that
    // must be heard of as with the look-ups by path, which would have found nothing.
    if (source && source->HeldIdentity(held)) SourceStillThere();
    return;
  }
  if (!SourceFolderListed(relative)) {
    Fail("check", sourceRoot_ + relative,
         "this folder of the FrontPage web could not be listed, so its missing files are not "
         "taken for deleted");
    return;
  }
  // The look-ups above found nothing; that counts only if the web is still the one listed.
  if (!SourceStillThere()) return;
  for (const std::string* name : gone) {
    const bool isLog = LowerCase(*name) == kLogName;
    const std::string destFile = destRoot_ + relative + kPathSeparator + *name;
    ++result_.deletedFound;
    bool logged = true;
    if (report) {
      std::optional<FindEntry> entry = fs_.LookUp(destFile);
      logged = WriteLogs(LogKey(destFile), std::to_string(entry ? FileSizeOf(*entry) : 0));
    }
    if (remove && !isLog) {
      // The size is logged before the file goes, and the file goes only once it is logged.
      if (!logged)
        Fail("delete", destFile, "withheld because the change log could not be written");
      else if (report)
        pending_.push_back(PendingAction{std::string(), destFile, nullptr, nullptr, false});
      else
        DeleteFromFtpWeb(destFile);
    }
    MaybeFlush();
  }
}

void ConversionRun::DeleteFromFtpWeb(const std::string& path) {
  std::string error;
  if (fs_.DeleteFile(path, &error))
    ++result_.deleted;
  else
    Fail("delete", path, error);
}

// ---- reporting ----------------------------------------------------------------------------

void ConversionRun::Fail(const char* operation, const std::string& path,
                         const std::string& reason) {
  result_.failures.push_back(RunFailure{operation, path, reason});
}

void ConversionRun::Status(const std::string& text) { observer_->StatusChanged(text); }

void ConversionRun::Yield() { observer_->Yield(); }

bool ConversionRun::Cancelled() {
  if (!result_.cancelled && observer_->CancelRequested()) result_.cancelled = true;
  return result_.cancelled;
}

}  // namespace tarnwick
