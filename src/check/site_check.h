#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "rules/kept_files.h"
#include "rules/run_policy.h"
#include "settings/options.h"

namespace tarnwick {

// What will break on a plain host.
enum class FindingKind {
  kDropped,    // the target is in a folder the conversion leaves out
  kMissing,    // no such file
  kCase,       // matches a file only when case is ignored
  kSkipped,    // the skip list leaves the target out
  kComponent,  // a browse-time component that needs the server extensions
  kExtension,  // a reference to the extensions' programs
  kLocal,      // the author's own disk
};

const char* FindingKindName(FindingKind kind);

struct CheckFinding {
  std::string page;  // relative to the web, "/" between folders
  std::int64_t line = 0;
  FindingKind kind = FindingKind::kMissing;
  std::string written;  // the reference or component as the page has it
  std::string sentence;
  // What the finding is about, for adding findings up: the file or folder from the web's root
  // (with the web's own names when it is there), the extensions' program, the component, or
  // the reference as written when it names nothing in the web.
  std::string target;
};

// A field of a line with a tab or line break written %09, %0D or %0A.
std::string EscapedField(std::string_view field);

// The five fields separated by a tab, each escaped, so that one finding is always one line of
// five fields.
std::string FindingLine(const CheckFinding& finding);

// A finding as the window lists it: page, line number and kind, then the reference as
// written and the sentence.
std::string FindingText(const CheckFinding& finding);

// Something the check could not read; the check is then incomplete.
struct CheckError {
  std::string path;
  std::string reason;
};

class CheckObserver {
 public:
  virtual ~CheckObserver() = default;
  virtual void FindingFound(const CheckFinding& /*finding*/) {}
  // A file that pages use and that the option to keep them brings into the FTP web
  // (relative to the web, "/" between folders). Told once per reference.
  virtual void KeptFileUsed(const std::string& /*relativePath*/) {}
  virtual void StatusChanged(const std::string& /*text*/) {}
  // Called after every page.
  virtual void Yield() {}
  virtual bool CancelRequested() { return false; }
};

struct CheckResult {
  bool refused = false;  // the web cannot be read at all
  std::string refusal;
  bool cancelled = false;
  std::int64_t pages = 0;  // pages and style sheets read
  std::int64_t findings = 0;
  std::vector<CheckError> errors;
};

// How a check ended, in one sentence ("3 problems found that will break on a plain host.").
std::string CheckSummary(const CheckResult& result);

// Whether a file name is read by the check: pages (.htm, .html, .shtml, .asp, .aspx, .php)
// and style sheets (.css).
bool IsCheckedFile(const std::string& name);

// The site check: reads every page the conversion keeps and judges what the pages refer to
// as a plain host will serve it. It changes nothing on disk.
class SiteCheck {
 public:
  // The options say which files the conversion keeps: the skip list (when it applies) and
  // whether files that pages use in _borders, _overlay and _fpclass are kept.
  SiteCheck(const Options& options, std::vector<std::string> skipList,
            CheckObserver* observer = nullptr, FileSystem& fs = SystemFileSystem());

  // Pages are read and parsed side by side by this many threads (0: one per processor);
  // findings still come in the walk's order.
  void SetThreads(unsigned threads) { threads_ = threads; }

  CheckResult Run(const std::string& source);

 private:
  class Walk;

  RunPolicy policy_;
  std::vector<std::string> skipList_;  // lowered; empty when the skip list does not apply
  CheckObserver nullObserver_;
  CheckObserver* observer_;
  FileSystem& fs_;
  unsigned threads_ = 0;
};

// The files that pages use in _borders, _overlay and _fpclass and that the option keeps:
// relative paths ("/" between folders), sorted, each once. Never anything from a _vti or
// _private folder. Whatever could not be read is added to errors.
std::vector<std::string> KeptFilesOfPages(const std::string& source, const Options& options,
                                          const std::vector<std::string>& skipList,
                                          CheckObserver* observer, FileSystem& fs,
                                          std::vector<CheckError>* errors);

// The same for a conversion that keeps them: the pages are read when the run asks, with what
// they are read for told to observer (which may be none), and complete when none failed.
KeptFilesProvider KeptFilesFromPages(const Options& options, std::vector<std::string> skipList,
                                     CheckObserver* observer, FileSystem& fs);

}  // namespace tarnwick
