#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "engine/run_result.h"
#include "platform/file_system.h"
#include "rules/ftp_web_names.h"
#include "settings/ini_editor.h"

namespace tarnwick {

// The change-log key of a file path: the path itself, with the characters a profile key
// cannot hold percent-encoded ("=" as %3D, CR and LF, blanks at the ends, a leading "[" or
// ";").
std::string LogKey(const std::string& path);

enum class LogSection { kChanged, kDeleted };

// The two change logs of a run: the FTP web's, of the latest run alone, and the uploads
// folder's, of every run (written only when the run makes the uploads folder). Both are
// written in the same section; whatever cannot be written is a failure of the run.
class ChangeLog {
 public:
  explicit ChangeLog(RunResult& result);

  // The log's name, in any letter case: what the run never copies, deletes or sweeps.
  static bool IsLogName(const std::string& name);
  // A temporary file of a rewrite of a change log that a killed run left behind. It is ours:
  // it is neither a deleted file of the web nor anything to upload. Only the exact names the
  // writer makes count; a file of the web that merely starts alike is the user's.
  static bool IsLeftover(const std::string& name);
  // A name of the leftovers' kind in the FTP web, for a probe that a killed run may leave.
  static std::string ProbeName();

  // Points both logs at their files in the folders the run holds, destFolder at destRoot and
  // uploadsFolder at uploadsRoot (a null folder could not be opened; its paths name it).
  void Open(const std::string& destRoot, std::shared_ptr<Folder> destFolder,
            const std::string& uploadsRoot, std::shared_ptr<Folder> uploadsFolder,
            bool uploadsLogged);
  // The latest-run log starts empty, and the leftovers of killed runs go from both folders,
  // unless the web (held at sourceFolder) has a file of that name, which is then copied like
  // any other.
  void StartRun(Folder* sourceFolder);
  void Switch(LogSection section);
  // Nothing more is written, not even what waits: the folders the logs are in were replaced.
  void Stop() { stopped_ = true; }

  // True when the line went into every log it belongs in.
  bool Write(const std::string& key, const std::string& value);
  void DeferWrites(bool deferred);
  bool Flush();
  // The most lines a flush of either log would rewrite (0: it only appends).
  std::size_t PendingRewriteLines() const;

 private:
  bool Failed(IniEditor& log);

  RunResult& result_;
  std::shared_ptr<Folder> destFolder_;
  std::shared_ptr<Folder> uploadsFolder_;
  IniEditor dest_{nullptr, kLogName};
  IniEditor uploads_{nullptr, kLogName};
  bool uploadsLogged_ = false;
  bool stopped_ = false;
  // The latest-run log lists what changed before what was deleted, also when a folder made
  // way for a page before the run's first change was logged.
  LogSection section_ = LogSection::kChanged;
  bool changedLogged_ = false;
  bool deletedFirst_ = false;
};

}  // namespace tarnwick
