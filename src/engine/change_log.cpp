#include "engine/change_log.h"

#include <algorithm>

#include "base/path.h"
#include "base/text.h"
#include "base/web_path.h"
#include "rules/ftp_web_names.h"

namespace tarnwick {
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
      AppendPercentEscape(key, c);
    } else {
      key += c;
    }
  }
  return key;
}

ChangeLog::ChangeLog(RunResult& result) : result_(result) {}

bool ChangeLog::IsLogName(const std::string& name) { return LowerCase(name) == kLogName; }

bool ChangeLog::IsLeftover(const std::string& name) { return IsReplaceTempName(name, kLogName); }

std::string ChangeLog::ProbeName() { return ReplaceTempPrefix(kLogName) + "0"; }

void ChangeLog::Open(const std::string& destRoot, std::shared_ptr<Folder> destFolder,
                     const std::string& uploadsRoot, std::shared_ptr<Folder> uploadsFolder,
                     bool uploadsLogged) {
  destFolder_ = std::move(destFolder);
  uploadsFolder_ = std::move(uploadsFolder);
  uploadsLogged_ = uploadsLogged;
  stopped_ = false;
  dest_ = IniEditor(destFolder_, kLogName);
  uploads_ = IniEditor(uploadsFolder_, kLogName);
  const WebPath log = WebPath().Join(kLogName);
  dest_.IniFile = log.NativeIn(destRoot);
  uploads_.IniFile = log.NativeIn(uploadsRoot);
  changedLogged_ = false;
  deletedFirst_ = false;
}

void ChangeLog::StartRun(Folder* sourceFolder) {
  std::string error;
  if (destFolder_ && destFolder_->LookUp(kLogName) && !destFolder_->DeleteFile(kLogName, &error)) {
    result_.Fail("delete", dest_.IniFile, error);
    // Emptied instead, the latest-run log still describes this run alone.
    destFolder_->ReplaceFile(kLogName, std::string(), &error);
  }
  for (Folder* folder : {destFolder_.get(), uploadsFolder_.get()}) {
    FolderListing listing;
    // Without the web's own folder nobody can tell a leftover from a file of the web.
    if (!folder || !sourceFolder || !folder->List(listing, nullptr)) continue;
    for (const std::string& name : listing.files) {
      if (!IsLeftover(name)) continue;
      if (sourceFolder->LookUp(name) || sourceFolder->Inaccessible(name, nullptr)) continue;
      if (!folder->DeleteFile(name, &error)) result_.Fail("delete", folder->PathOf(name), error);
    }
  }
}

void ChangeLog::Switch(LogSection section) {
  section_ = section;
  const char* name = section == LogSection::kChanged ? "Changed" : "Deleted";
  dest_.IniSection = name;
  uploads_.IniSection = name;
}

bool ChangeLog::Write(const std::string& key, const std::string& value) {
  if (stopped_) return false;
  bool ok = dest_.WriteIniValue(key, value) || Failed(dest_);
  if (section_ == LogSection::kDeleted) {
    deletedFirst_ = deletedFirst_ || !changedLogged_;
  } else if (!changedLogged_) {
    changedLogged_ = true;
    if (deletedFirst_ && !dest_.PlaceSectionBefore("Deleted")) ok = Failed(dest_);
  }
  if (uploadsLogged_ && !uploads_.WriteIniValue(key, value)) ok = Failed(uploads_);
  return ok;
}

void ChangeLog::DeferWrites(bool deferred) {
  // Ending the deferral would put the waiting lines on disk.
  if (stopped_) return;
  dest_.DeferWrites(deferred);
  uploads_.DeferWrites(deferred);
}

bool ChangeLog::Flush() {
  if (stopped_) return false;
  bool ok = dest_.Flush() || Failed(dest_);
  if (!uploads_.Flush()) ok = Failed(uploads_);
  return ok;
}

std::size_t ChangeLog::PendingRewriteLines() const {
  return std::max(dest_.PendingRewriteLines(), uploads_.PendingRewriteLines());
}

bool ChangeLog::Failed(IniEditor& log) {
  result_.Fail("write log", log.IniFile, log.LastError());
  return false;
}

}  // namespace tarnwick
