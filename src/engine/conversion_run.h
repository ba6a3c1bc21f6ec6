#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/web_path.h"
#include "engine/change_log.h"
#include "engine/folder_chain.h"
#include "engine/folder_check.h"
#include "engine/held_tree.h"
#include "engine/run_result.h"
#include "engine/write_ahead_queue.h"
#include "platform/file_system.h"
#include "rules/ftp_web_names.h"
#include "rules/kept_files.h"
#include "rules/run_policy.h"
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

// One conversion of a FrontPage web into an FTP web. The options, the skip list and both
// folder paths are taken once, when the run is made; a run is used once.
class ConversionRun {
 public:
  ConversionRun(const Options& options, std::vector<std::string> skipList,
                RunObserver* observer = nullptr, FileSystem& fs = SystemFileSystem());

  // Where the files that pages use come from when the options keep them; without one,
  // none come along and none is swept for being unused.
  void SetKeptFilesProvider(KeptFilesProvider provider) {
    keptFilesProvider_ = std::move(provider);
  }

  // Checks the folders, then scans, copies and sweeps.
  RunResult Run(const std::string& source, const std::string& destination);

  // The checks made before anything is written (FolderCheck).
  static Refusal CheckFolders(const std::string& source, const std::string& destination,
                              FileSystem& fs = SystemFileSystem());

  // Whether the run sweeps deleted files at all under these options.
  static bool SweepWanted(const Options& options) { return RunPolicy(options).sweepWanted; }
  // Whether a finished run starts the FTP client.
  static bool FtpClientWanted(const Options& options) { return RunPolicy(options).ftpClientWanted; }

  std::string SourcePath;
  std::string DestPath;
  std::string UploadsPath;
  std::int64_t FolderCount = 0;
  std::vector<std::string> WorkList;  // relative folder, "^", file name

 private:
  // One work entry's file, on both sides.
  struct EntryFiles {
    WebPath folder;
    std::string name;
    std::string source;
    std::string dest;
    std::shared_ptr<Folder> sourceFolder;
    std::shared_ptr<Folder> destFolder;
  };

  // scan
  Refusal HoldFolders(std::vector<FolderLock>& locks);
  Refusal CheckWritable();
  void Scan();
  void AddEntries(const WebPath& relative, const std::vector<std::string>& files);
  void AddEntry(const WebPath& relative, const std::string& name);
  void AddKeptFiles();
  using FolderVisit =
      std::function<void(const std::string& name, const WebPath& relative,
                         const FolderListing& listing, const std::shared_ptr<Folder>& folder)>;
  void WalkSubfolders(Folder& folder, const WebPath& relative, const FolderListing& listing,
                      const FolderVisit& visit, bool source);
  // Whether the FTP web and the uploads folder held are still the folders their paths name;
  // when one is not, the run stops writing.
  bool TargetsCurrent();
  void StopWriting(const std::string& path);
  bool Stopped() { return writingStopped_ || Cancelled(); }

  // copy
  void CopyChangedFiles();
  void StartCopies();
  void ReleaseChains();
  void ReleaseFolders();
  void ProcessEntry(std::size_t index);
  bool EntryAt(std::size_t index, EntryFiles& files) const;
  std::optional<FindEntry> LookUpSource(const EntryFiles& files);
  bool LookUpTarget(const EntryFiles& files, std::optional<FindEntry>& target);
  const char* Finding(const FindEntry& source, const std::optional<FindEntry>& target) const;
  bool CopyIntoUploads(const EntryFiles& files);
  void LogAndCopy(PendingAction copy, const char* finding);
  std::shared_ptr<Folder> SourceFolder(const WebPath& relative);
  bool SkipListed(const std::string& fileName) const;
  std::shared_ptr<Folder> OpenTarget(const std::string& path);
  bool ReplaceFtpFileWithFolder(const std::shared_ptr<Folder>& parent, const std::string& name);
  bool RemoveFtpFolder(const std::shared_ptr<Folder>& parent, const std::string& name);
  // A file of the FTP web to remove now, by its path below a folder held, with its size.
  struct DoomedFile {
    WebPath file;
    std::int64_t size = 0;
  };
  bool RemoveFromFtpWebNow(HeldTree& tree, const std::vector<DoomedFile>& files);
  bool LogDeleted(const std::string& path, std::int64_t size);

  // sweep
  void SweepDeletedFiles();
  bool SourceStillThere();
  bool SourceFolderListed(const WebPath& relative) const;
  bool NoLongerKept(const WebPath& relative, const std::string& name) const;
  void SweepFiles(const WebPath& relative, const std::vector<std::string>& files,
                  const std::shared_ptr<Folder>& folder);
  std::vector<const std::string*> GoneFiles(const WebPath& relative,
                                            const std::vector<std::string>& files,
                                            const std::shared_ptr<Folder>& source,
                                            bool sourceAbsent, const std::string& sourceError);
  void SweepGone(const WebPath& relative, const std::vector<const std::string*>& gone,
                 const std::shared_ptr<Folder>& folder);

  void Status(const std::string& text);
  void Yield();
  bool Cancelled();

  RunPolicy policy_;
  std::vector<std::string> skipList_;  // lowered
  RunObserver nullObserver_;
  RunObserver* observer_;
  FileSystem& fs_;
  KeptFilesProvider keptFilesProvider_;
  RunResult result_;

  std::vector<std::size_t> workSplit_;  // where each work entry's folder part ends
  // Files that pages use in _borders, _overlay and _fpclass ("/" between folders, sorted), and
  // whether every page could be read to find them: only then may the sweep remove the others.
  KeptFiles kept_;
  std::string sourceRoot_;  // SourcePath without trailing separators, for composing paths
  std::string destRoot_;
  // What the sweep needs to know of the source: which folder it was when the run began, and
  // which of its folders this run failed to list (by WebPath::Key), so that nothing is taken
  // for deleted on the word of a folder that has gone away or could not be read.
  FileIdentity sourceIdentity_;
  bool sourceRootListed_ = false;
  std::unordered_set<std::string> unlistedSourceFolders_;
  bool sweepStopped_ = false;
  ChangeLog log_;
  WriteAheadQueue queue_;
  // The step in which the FTP web's file system keeps write times (1: exactly).
  std::int64_t destTimeStep_ = 1;
  // The three roots, held from when they are first needed to the run's end; everything in
  // them is reached from these.
  std::shared_ptr<Folder> sourceRootFolder_;
  std::shared_ptr<Folder> destRootFolder_;
  std::shared_ptr<Folder> uploadsRootFolder_;
  bool writingStopped_ = false;
  FolderChain destChain_;
  FolderChain uploadsChain_;
  HeldTree sourceTree_;
  // The source folder of the entries in hand: opened (or failed) once for all of them.
  std::shared_ptr<Folder> sourceFolder_;
  bool sourceFolderKnown_ = false;
  WebPath sourceFolderRelative_;
};

}  // namespace tarnwick
