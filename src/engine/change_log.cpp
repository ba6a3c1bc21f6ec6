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

ChangeLog::ChangeLog(FileSystem& fs, RunResult& result)
    : fs_(fs), result_(result), dest_(fs), uploads_(fs) {}

bool ChangeLog::IsLogName(const std::string& name) { return LowerCase(name) == kLogName; }

bool ChangeLog::IsLeftover(const std::string& name) { return IsReplaceTempName(name, kLogName); }

std::string ChangeLog::ProbeName() { return ReplaceTempPrefix(kLogName) + "0"; }

void ChangeLog::Open(const std::string& destRoot, const std::string& uploadsFolder,
                     bool uploadsLogged) {
  destRoot_ = destRoot;
  uploadsFolder_ = uploadsFolder;
  uploadsLogged_ = uploadsLogged;
  const WebPath log = WebPath().Join(kLogName);
  dest_.IniFile = log.NativeIn(destRoot);
  uploads_.IniFile = log.NativeIn(uploadsFolder);
}

void ChangeLog::StartRun(const std::string& sourceRoot) {
  std::string error;
  if (fs_.LookUp(dest_.IniFile) && !fs_.DeleteFile(dest_.IniFile, &error)) {
    result_.Fail("delete", dest_.IniFile, error);
    // Emptied instead, the latest-run log still describes this run alone.
    fs_.ReplaceFile(dest_.IniFile, std::string(), &error);
  }
  for (const std::string& folder : {destRoot_, uploadsFolder_}) {
    for (const std::string& name : ListFiles(fs_, folder)) {
      if (!IsLeftover(name)) continue;
      const WebPath file = WebPath().Join(name);
      const std::string counterpart = file.NativeIn(sourceRoot);
      if (fs_.LookUp(counterpart) || fs_.Inaccessible(counterpart, nullptr)) continue;
      const std::string path = file.NativeIn(folder);
      if (!fs_.DeleteFile(path, &error)) result_.Fail("delete", path, error);
    }
  }
}

void ChangeLog::Switch(LogSection section) {
  const char* name = section == LogSection::kChanged ? "Changed" : "Deleted";
  dest_.IniSection = name;
  uploads_.IniSection = name;
}

bool ChangeLog::Write(const std::string& key, const std::string& value) {
  bool ok = dest_.WriteIniValue(key, value) || Failed(dest_);
  if (uploadsLogged_ && !uploads_.WriteIniValue(key, value)) ok = Failed(uploads_);
  return ok;
}

void ChangeLog::DeferWrites(bool deferred) {
  dest_.DeferWrites(deferred);
  uploads_.DeferWrites(deferred);
}

bool ChangeLog::Flush() {
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
