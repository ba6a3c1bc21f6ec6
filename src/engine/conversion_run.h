#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"
#include "settings/ini_editor.h"
#include "settings/options.h"

namespace tarnwick {

// What a front end shows of a run. The engine never touches a widget.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void StatusChanged(const std::string& /*text*/) {}
  // The work list grew by one entry (the last one of the run's WorkList).
  virtual void EntryAdded(const std::string& /*entry*/) {}
  virtual void EntrySelected(std::size_t /*index*/) {}
  // Called after every file: the window lets pending events run here.
  virtual void Yield() {}
  // Asked between files; a true answer ends the run after the file in progress.
  virtual bool CancelRequested() { return false; }
};

// The message shown when source and destination are the same folder.
inline constexpr const char* kSameFoldersMessage =
    "The Source and Destination directories are te same. Please choose a different Desination.";
inline constexpr const char* kSameFoldersTitle = "Change Destination";

// What follows the destination's path to make the path of its uploads folder.
inline constexpr const char* kUploadsSuffix = "-Uploads";

enum class RefusalKind {
  kNone,
  kSameFolders,
  kEmptySource,
  kEmptyDestination,
  kSourceMissing,
  kNested,
  kUploadsInsideDestination,
  kDestinationParentMissing,
  kDestinationIsWeb,  // the destination holds FrontPage folders
  kUploadsFolder,     // the source or the destination is an FTP web's uploads folder
  kBusy,              // another run holds the FTP web or its uploads folder
  kUncheckable        // the folders could not be told apart
};

struct Refusal {
  RefusalKind kind = RefusalKind::kNone;
  std::string message;
  explicit operator bool() const { return kind != RefusalKind::kNone; }
};

// The change-log key of a file path: the path itself, with the characters a profile key
// cannot hold percent-encoded ("=" as %3D, CR and LF, blanks at the ends, a leading "[" or
// ";").
std::string LogKey(const std::string& path);

// One operation that did not succeed during a run.
struct RunFailure {
  std::string operation;  // "copy", "create folder", "delete", "write log"
  std::string path;
  std::string reason;
};

struct RunResult {
  Refusal refusal;                // set when the run did not start
  bool cancelled = false;         // stopped on request after the file in progress
  std::int64_t entries = 0;       // work entries found by the scan
  std::int64_t copied = 0;        // files copied into the FTP web
  std::int64_t reported = 0;      // files found new or changed
  std::int64_t deletedFound = 0;  // FTP web files without a source counterpart
  std::int64_t deleted = 0;       // of those, removed from the FTP web
  std::vector<RunFailure> failures;
  // What the user should know of a run that is no failure, one line each.
  std::vector<std::string> notices;

  bool Finished() const { return !refusal && !cancelled; }
};

// One conversion of a FrontPage web into an FTP web. The options, the skip list and both
// folder paths are taken once, when the run is made; a run is used once.
class ConversionRun {
 public:
  ConversionRun(const Options& options, std::vector<std::string> skipList,
                RunObserver* observer = nullptr, FileSystem& fs = SystemFileSystem());

  // Checks the folders, then scans, copies and sweeps.
  RunResult Run(const std::string& source, const std::string& destination);

  // The checks made before anything is written. Which folder a path names, and whether one
  // lies inside another, is decided by the file system's identities, not by the texts.
  static Refusal CheckFolders(const std::string& source, const std::string& destination,
                              FileSystem& fs = SystemFileSystem());

  // Whether the run sweeps deleted files at all under these options.
  static bool SweepWanted(const Options& options);
  // Whether a finished run starts the FTP client.
  static bool FtpClientWanted(const Options& options);

  std::string SourcePath;
  std::string DestPath;
  std::string UploadsPath;
  std::int64_t FolderCount = 0;
  std::vector<std::string> WorkList;  // relative folder, "^", file name

 private:
  void CopyChangedFiles();
  void SweepDeletedFiles();

  struct PendingAction {
    std::string from;  // empty for a deletion
    std::string to;
    // For a copy, the folders of both files when they are still held, and whether the target
    // was missing when it was looked at.
    std::shared_ptr<Folder> fromFolder;
    std::shared_ptr<Folder> toFolder;
    bool expectNew = false;
  };

  Refusal HoldFolders(std::vector<FolderLock>& locks);
  bool SourceStillThere();
  std::string FolderKey(const std::string& relative) const;
  bool SourceFolderListed(const std::string& relative) const;
  void AddEntries(const std::string& relative, const std::vector<std::string>& files);
  void AddKeptFiles();
  bool NoLongerKept(const std::string& relative, const std::string& name) const;
  using FolderVisit = std::function<void(const std::string& name, const std::string& relative,
                                         const FolderListing& listing)>;
  void WalkSubfolders(const std::string& root, const std::string& relative,
                      const FolderListing& listing, const FolderVisit& visit, bool source);
  void ScanListing(const std::string& relative, const FolderListing& listing);
  void ProcessEntry(std::size_t index);
  void CopyIntoFtpWeb(const std::string& from, const std::string& to);
  void CopyIntoFtpWeb(const PendingAction& action);
  std::shared_ptr<Folder> OpenFolder(const std::string& path);
  std::shared_ptr<Folder> SourceFolder(const std::string& relative);
  bool SourceVanished(const std::string& sourceFile);
  void CopyFailed(const std::string& from, const std::string& to, const std::string& error);
  bool RemoveFromFtpWebNow(const std::vector<std::string>& paths);
  bool RemoveFtpFolder(const std::string& path);
  bool ReplaceFtpFileWithFolder(const std::string& path);
  void DeleteFromFtpWeb(const std::string& path);
  void DeleteAllFromFtpWeb(const std::vector<std::string>& paths);
  bool WriteLogs(const std::string& key, const std::string& value);
  void SweepFiles(const std::string& relative, const std::vector<std::string>& files);
  void SweepListing(const std::string& relative, const FolderListing& listing);
  enum class Chain { kMade, kFailed, kBlocked };
  struct FolderMemo {
    bool valid = false;
    std::string relative;
    Chain result = Chain::kFailed;
    // The base folder, then each folder of relative made so far, held open.
    std::vector<std::shared_ptr<Folder>> chain;
    bool made = false;  // the last folder of relative was made by this very call
  };
  // Creates the folders of relative below base. Files of the FTP web in the way are replaced
  // by the folders; in the uploads folder they stay and the chain is blocked.
  // Whether the chain's first folder is held open and still the one base names.
  bool HeldBaseIsCurrent(const FolderMemo& memo, const std::string& base);
  Chain EnsureFolderChain(const std::string& base, const std::string& relative, FolderMemo& memo,
                          bool replaceFiles);
  void MaybeFlush();
  bool FlushLogs();
  void Fail(const char* operation, const std::string& path, const std::string& reason);
  void Status(const std::string& text);
  void Yield();
  bool Cancelled();
  bool SkipListed(const std::string& fileName) const;

  Options options_;
  std::vector<std::string> skipList_;  // lowered
  RunObserver nullObserver_;
  RunObserver* observer_;
  FileSystem& fs_;
  RunResult result_;

  std::vector<std::size_t> workSplit_;  // where each work entry's folder part ends
  // Files that pages use in _borders, _overlay and _fpclass ("/" between folders, sorted), and
  // whether every page could be read to find them: only then may the sweep remove the others.
  std::vector<std::string> keptFiles_;
  bool keptComplete_ = false;
  std::string sourceRoot_;  // SourcePath without trailing separators, for composing paths
  std::string destRoot_;
  // What the sweep needs to know of the source: which folder it was when the run began, and
  // which of its folders this run failed to list, so that nothing is taken for deleted on the
  // word of a folder that has gone away or could not be read.
  FileIdentity sourceIdentity_;
  bool sourceRootListed_ = false;
  std::unordered_set<std::string> unlistedSourceFolders_;
  bool sweepStopped_ = false;
  IniEditor destLog_;
  IniEditor uploadsLog_;
  // The step in which the FTP web's file system keeps write times (1: exactly).
  std::int64_t destTimeStep_ = 1;
  FolderMemo destFolderMemo_;
  FolderMemo uploadsFolderMemo_;
  std::shared_ptr<Folder> sourceFolder_;
  std::string sourceFolderRelative_;
  // How many folders the pending copies hold open; past a limit they go by their paths, so
  // that a run through many small folders never runs out of descriptors.
  std::size_t heldFolders_ = 0;
  // Destination copies and deletions of logged files wait until their log lines are on disk,
  // so that an interrupted run cannot lose a change: the next run still sees it.
  std::vector<PendingAction> pending_;
  std::chrono::steady_clock::time_point lastFlush_;
};

}  // namespace tarnwick
