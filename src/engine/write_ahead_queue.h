#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/web_path.h"
#include "engine/change_log.h"
#include "engine/held_tree.h"
#include "engine/run_result.h"
#include "platform/file_system.h"

namespace tarnwick {

// A copy from the web into the FTP web, or a deletion from the FTP web (no source).
struct PendingAction {
  std::string from;  // the source file's path, for messages; empty for a deletion
  std::string to;    // the FTP web file's path, for messages
  WebPath folder;    // the folder of the file, the same in both trees
  std::string name;  // the file's name in it
  // The folders of both files, held; one that waits without them has them opened again from
  // the roots when it is done. expectNew: the target was missing when it was looked at.
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

  // The roots of the web and of the FTP web that the run holds, from which the folders of the
  // actions that waited without them are opened again.
  void SetRoots(std::shared_ptr<Folder> source, std::shared_ptr<Folder> dest);
  // Asked before every flush whether the FTP web held is still the folder its path names;
  // when not, neither the log lines nor what waited for them are written.
  void CheckTargetsWith(std::function<bool()> targetsCurrent) {
    targetsCurrent_ = std::move(targetsCurrent);
  }

  // The time the lines may wait is counted from here.
  void Start();
  void AddCopy(PendingAction copy);
  void AddDeletion(PendingAction deletion);
  // Flushes when enough waits, or has waited long enough.
  void MaybeFlush();
  // Writes the log lines, then does what waited for them; false when a log failed, and
  // then nothing waiting is done.
  bool Flush();

  // Done at once, with their failures named as the run names them.
  void CopyNow(const PendingAction& action);
  void DeleteNow(const PendingAction& action);
  void CopyFailed(Folder* from, const std::string& name, const std::string& fromPath,
                  const std::string& to, const std::string& error);
  // True for a source file that has gone (not one that cannot be examined).
  static bool SourceVanished(Folder& folder, const std::string& name);

 private:
  void Hold(PendingAction& action);
  // Opens the folders the action waited without; false when it cannot be done (listed, or
  // left unsaid for a source folder that has gone).
  bool Reopen(PendingAction& action);
  // Deletes what was gathered and lets go of its folders.
  void DeleteAll(std::vector<PendingAction*>& deletions);

  FileSystem& fs_;
  ChangeLog& log_;
  RunResult& result_;
  Clock clock_;
  std::function<bool()> targetsCurrent_;
  std::vector<PendingAction> pending_;
  // How many folders the waiting actions hold; past a limit they wait without, so that a run
  // through many small folders never runs out of descriptors.
  std::size_t heldFolders_ = 0;
  const std::size_t maxHeldFolders_;
  HeldTree sourceTree_;
  HeldTree destTree_;
  std::chrono::steady_clock::time_point lastFlush_;
};

}  // namespace tarnwick
