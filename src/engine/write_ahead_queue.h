#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/change_log.h"
#include "engine/run_result.h"
#include "platform/file_system.h"

namespace tarnwick {

// A copy into the FTP web, or a deletion from it (no source).
struct PendingAction {
  std::string from;  // empty for a deletion
  std::string to;
  // For a copy, the folders of both files when they are still held, and whether the target
  // was missing when it was looked at.
  std::shared_ptr<Folder> fromFolder;
  std::shared_ptr<Folder> toFolder;
  bool expectNew = false;
};

// The FTP web's copies and deletions of logged files wait until their log lines are on disk,
// so that an interrupted run cannot lose a change: the next run still sees it. Lines wait at
// most 250 ms, or for 256 files, before they go to disk together.
class WriteAheadQueue {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  WriteAheadQueue(FileSystem& fs, ChangeLog& log, RunResult& result,
                  Clock clock = &std::chrono::steady_clock::now);

  // Whether the copies' held target folders are still in the FTP web; when not, they go by
  // their paths.
  void CheckTargetsWith(std::function<bool()> targetsCurrent) {
    targetsCurrent_ = std::move(targetsCurrent);
  }

  // The time the lines may wait is counted from here.
  void Start();
  void AddCopy(PendingAction copy);
  void AddDeletion(const std::string& path);
  // Flushes when enough waits, or has waited long enough.
  void MaybeFlush();
  // Writes the log lines, then does what waited for them; false when a log failed, and
  // then nothing waiting is done.
  bool Flush();
  // The waiting copies go by their paths: their target folders were replaced.
  void DropHeldTargets();

  // Done at once, with their failures named as the run names them.
  void CopyNow(const PendingAction& action);
  void DeleteNow(const std::string& path);
  void CopyFailed(const std::string& from, const std::string& to, const std::string& error);
  // True for a source file that has gone (not one that cannot be examined).
  bool SourceVanished(const std::string& sourceFile);

 private:
  void DeleteAll(const std::vector<std::string>& paths);

  FileSystem& fs_;
  ChangeLog& log_;
  RunResult& result_;
  Clock clock_;
  std::function<bool()> targetsCurrent_;
  std::vector<PendingAction> pending_;
  // How many folders the pending copies hold open; past a limit they go by their paths, so
  // that a run through many small folders never runs out of descriptors.
  std::size_t heldFolders_ = 0;
  std::chrono::steady_clock::time_point lastFlush_;
};

}  // namespace tarnwick
