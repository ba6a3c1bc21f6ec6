#include "check/site_check.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <set>
#include <string_view>
#include <thread>

#include "base/path.h"
#include "base/text.h"
#include "base/web_path.h"
#include "check/page_links.h"
#include "check/page_workers.h"
#include "check/reference.h"
#include "check/web_index.h"
#include "rules/web_folders.h"

namespace tarnwick {
namespace {

// Bigger files are no page of the editor's; parsing them would cost memory in proportion.
constexpr std::uint64_t kMaxPageBytes = 8 * 1024 * 1024;

// Components that run when a visitor loads the page and need the server extensions, by their
// names in lower case without blanks, with the names the editor shows. The others (Include,
// Timestamp, Navigation, Table of Contents, Substitution...) did their work when the page
// was saved.
struct BrowseTimeComponent {
  std::string_view key;
  std::string_view title;
};
constexpr std::array<BrowseTimeComponent, 14> kBrowseTimeComponents = {{
    {"saveresults", "Save Results"},
    {"confirmationfield", "Confirmation Field"},
    {"discussion", "Discussion"},
    {"registration", "Registration"},
    {"guestbook", "Guest Book"},
    {"search", "Search"},
    {"scheduledimage", "Scheduled Image"},
    {"scheduledpicture", "Scheduled Picture"},
    {"scheduledinclude", "Scheduled Include"},
    {"scheduledincludepage", "Scheduled Include Page"},
    {"hitcounter", "Hit Counter"},
    {"counter", "Hit Counter"},
    {"imagemap", "Image Map"},
    {"pagecounter", "Hit Counter"},
}};

std::optional<std::string_view> BrowseTimeTitle(std::string_view name) {
  std::string key;
  for (char c : name)
    if (c != ' ' && c != '-' && c != '_') key += LowerAscii(c);
  for (const BrowseTimeComponent& component : kBrowseTimeComponents)
    if (component.key == key) return component.title;
  return std::nullopt;
}

std::string JoinPath(const std::vector<std::string>& segments, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count && i < segments.size(); ++i) {
    if (i > 0) path += '/';
    path += segments[i];
  }
  return path;
}

std::string JoinPath(const std::vector<std::string>& segments) {
  return JoinPath(segments, segments.size());
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && EqualsNoCase(text.substr(text.size() - end.size()), end);
}

// A program that runs on the server: anything in cgi-bin, or a script or executable by its
// name, also with a path after it ("form.pl/thanks").
bool IsServerProgram(const std::vector<std::string>& segments) {
  static constexpr std::array<std::string_view, 5> kProgramEndings = {".pl", ".cgi", ".exe", ".dll",
                                                                      ".py"};
  for (const std::string& segment : segments) {
    if (EqualsNoCase(segment, "cgi-bin")) return true;
    for (std::string_view ending : kProgramEndings)
      if (EndsWithNoCase(segment, ending)) return true;
  }
  return false;
}

// "www.example.com/x.htm" written without "http://" is taken from the page's folder.
bool LooksLikeSiteAddress(const ReferencePath& reference) {
  if (reference.fromRoot || reference.segments.empty()) return false;
  const std::string& first = reference.segments.front();
  return first.size() > 4 && EqualsNoCase(std::string_view(first).substr(0, 4), "www.") &&
         first.find('.', 4) != std::string::npos;
}

std::string MissingSentence(const ReferencePath& reference,
                            const std::vector<std::string>& resolved) {
  std::string sentence = "There is no " + JoinPath(resolved) + " in the web";
  if (IsServerProgram(resolved))
    return sentence + ": it is a program the host must provide, or visitors get an error.";
  if (LooksLikeSiteAddress(reference))
    return sentence + ": it looks like the address of another site without http:// in front.";
  return sentence + ".";
}

}  // namespace

std::string EscapedField(std::string_view field) {
  std::string text;
  text.reserve(field.size());
  for (char c : field) {
    if (c == '\t')
      text += "%09";
    else if (c == '\r')
      text += "%0D";
    else if (c == '\n')
      text += "%0A";
    else
      text += c;
  }
  return text;
}

const char* FindingKindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::kDropped:
      return "dropped";
    case FindingKind::kMissing:
      return "missing";
    case FindingKind::kCase:
      return "case";
    case FindingKind::kSkipped:
      return "skipped";
    case FindingKind::kComponent:
      return "component";
    case FindingKind::kExtension:
      return "extension";
    case FindingKind::kLocal:
      return "local";
  }
  return "missing";
}

std::string FindingLine(const CheckFinding& finding) {
  return EscapedField(finding.page) + '\t' + std::to_string(finding.line) + '\t' +
         FindingKindName(finding.kind) + '\t' + EscapedField(finding.written) + '\t' +
         EscapedField(finding.sentence);
}

std::string FindingText(const CheckFinding& finding) {
  return finding.page + ", line " + std::to_string(finding.line) + ", " +
         FindingKindName(finding.kind) + ": " + finding.written + " - " + finding.sentence;
}

std::string CheckSummary(const CheckResult& result) {
  if (result.refused) return result.refusal;
  std::string text;
  if (result.findings == 0)
    text = "Nothing found that will break on a plain host.";
  else
    text = std::to_string(result.findings) + (result.findings == 1 ? " problem" : " problems") +
           " found that will break on a plain host.";
  if (!result.errors.empty())
    text += " " + std::to_string(result.errors.size()) +
            (result.errors.size() == 1 ? " file or folder" : " files or folders") +
            " could not be read.";
  if (result.cancelled) text += " The check was stopped before it was finished.";
  return text;
}

bool IsCheckedFile(const std::string& name) { return PageTypeOf(name) != PageType::kOther; }

// One run of the check: the walk of the web, the pages in flight and the judging.
class SiteCheck::Walk {
 public:
  Walk(const SiteCheck& check, const std::string& root)
      : check_(check),
        root_(StripTrailingSeparators(root)),
        index_(check.fs_, root_),
        workers_(ThreadCount(check.threads_)) {}

  CheckResult Run() {
    std::optional<FindEntry> entry = check_.fs_.LookUp(root_);
    FolderListing listing;
    std::string error;
    if (!entry || !entry->IsFolder()) {
      result_.refused = true;
      result_.refusal = "The FrontPage web \"" + root_ + "\" does not exist or is not a folder.";
      return result_;
    }
    if (!check_.fs_.ReadFolder(root_, listing, &error)) {
      result_.refused = true;
      result_.refusal = "The FrontPage web \"" + root_ + "\" cannot be read: " + error + ".";
      return result_;
    }
    std::vector<std::string> folder;
    VisitFolder(folder, listing, true);
    while (!pages_.empty() && !Cancelled()) FinishOldest();
    return result_;
  }

 private:
  struct Page {
    std::vector<std::string> folder;
    std::string name;
  };

  static unsigned ThreadCount(unsigned wanted) {
    if (wanted > 0) return wanted;
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  }

  bool Cancelled() {
    if (!result_.cancelled && check_.observer_->CancelRequested()) result_.cancelled = true;
    return result_.cancelled;
  }

  std::string FullPath(const std::vector<std::string>& folder, const std::string& name) const {
    WebPath path;
    for (const std::string& part : folder) path = path.Join(part);
    return path.Join(name).NativeIn(root_);
  }

  // The conversion's walk: a folder's own files when its name is kept, then its sub-folders,
  // which are judged by their own names. Folders beginning with "." are not entered.
  void VisitFolder(std::vector<std::string>& folder, const FolderListing& listing, bool kept) {
    if (kept) {
      for (const std::string& name : listing.files) {
        if (Cancelled()) return;
        if (IsCheckedFile(name) && !SkipListed(name)) StartPage(folder, name);
      }
    }
    for (const std::string& name : listing.folders) {
      if (!IsWalkedFolder(name)) continue;
      if (Cancelled()) return;
      folder.push_back(name);
      FolderListing child;
      std::string error;
      const std::string path = FullPath(folder, std::string());
      if (check_.fs_.ReadFolder(StripTrailingSeparators(path), child, &error))
        VisitFolder(folder, child, !IsExcludedFolder(name));
      else
        Unreadable(StripTrailingSeparators(path), error);
      folder.pop_back();
    }
  }

  // A folder that cannot be read is told once, whether the walk or a reference met it.
  void Unreadable(const std::string& folder, const std::string& reason) {
    if (unreadable_.insert(folder).second) result_.errors.push_back(CheckError{folder, reason});
  }

  bool SkipListed(const std::string& name) const {
    if (check_.skipList_.empty()) return false;
    return std::find(check_.skipList_.begin(), check_.skipList_.end(), LowerCase(name)) !=
           check_.skipList_.end();
  }

  void StartPage(const std::vector<std::string>& folder, const std::string& name) {
    while (workers_.Full()) FinishOldest();
    const std::string path = FullPath(folder, name);
    std::optional<FindEntry> entry = check_.fs_.LookUp(path);
    std::string reason;
    if (!entry || entry->IsFolder()) {
      // Gone since the folder was read: the conversion will not copy it either.
      if (check_.fs_.Inaccessible(path, &reason))
        result_.errors.push_back(CheckError{path, reason});
      return;
    }
    if (entry->size > kMaxPageBytes) {
      result_.errors.push_back(CheckError{path, "too large to be checked as a page"});
      return;
    }
    std::string bytes;
    if (!check_.fs_.ReadTextFile(path, bytes, &reason)) {
      result_.errors.push_back(CheckError{path, reason});
      return;
    }
    pages_.push_back(Page{folder, name});
    workers_.Submit(std::move(bytes), PageTypeOf(name));
  }

  void FinishOldest() {
    Page page = std::move(pages_.front());
    pages_.pop_front();
    PageLinks links = workers_.TakeOldest();
    Judge(page, links);
    ++result_.pages;
    check_.observer_->StatusChanged("Checking pages >>> " + std::to_string(result_.pages) +
                                    " read, " + std::to_string(result_.findings) +
                                    " problems found.");
    check_.observer_->Yield();
  }

  void Judge(const Page& page, const PageLinks& links) {
    findings_.clear();
    pagePath_ = JoinPath(page.folder);
    if (!pagePath_.empty()) pagePath_ += '/';
    pagePath_ += page.name;

    // A <base href> moves where relative references start; one that leads off the web takes
    // them all along.
    std::vector<std::string> base = page.folder;
    bool baseOffWeb = false;
    if (links.hasBase) {
      ReferencePath parsed = ParseReference(links.base);
      std::optional<std::vector<std::string>> resolved;
      if (parsed.form == ReferenceForm::kPath) resolved = ResolveReference(parsed, page.folder);
      if (resolved) {
        if (!parsed.folder && !resolved->empty()) resolved->pop_back();
        base = std::move(*resolved);
      } else {
        baseOffWeb = true;
      }
    }
    for (const PageReference& reference : links.references)
      JudgeReference(reference, base, baseOffWeb);
    for (const PageComponent& component : links.components) {
      if (std::optional<std::string_view> title = BrowseTimeTitle(component.name)) {
        std::string sentence = "The " + std::string(*title) +
                               " component needs the server extensions, which a plain host does "
                               "not have: it will not work there.";
        if (*title == "Save Results")
          sentence =
              "The Save Results component needs the server extensions: on a plain host "
              "visitors get an error and what they send is lost.";
        Add(component.line, FindingKind::kComponent, component.written, std::string(*title),
            std::move(sentence));
      }
    }
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const CheckFinding& a, const CheckFinding& b) { return a.line < b.line; });
    for (const CheckFinding& finding : findings_) {
      ++result_.findings;
      check_.observer_->FindingFound(finding);
    }
  }

  void Add(std::int64_t line, FindingKind kind, const std::string& written, std::string target,
           std::string sentence) {
    findings_.push_back(
        CheckFinding{pagePath_, line, kind, written, std::move(sentence), std::move(target)});
  }

  void JudgeReference(const PageReference& reference, const std::vector<std::string>& base,
                      bool baseOffWeb) {
    const ReferencePath parsed = ParseReference(reference.target);
    const std::string& written = reference.written;
    switch (parsed.form) {
      case ReferenceForm::kNotFollowed:
        return;
      case ReferenceForm::kLocal:
        Add(reference.line, FindingKind::kLocal, written, written,
            "Points at the author's own disk, which visitors cannot reach.");
        return;
      case ReferenceForm::kWebbotSelf:
        Add(reference.line, FindingKind::kExtension, written, written,
            "The form posts to the server extensions, which a plain host does not have: what "
            "visitors send is lost.");
        return;
      case ReferenceForm::kPath:
        break;
    }
    if (baseOffWeb) return;
    std::optional<std::vector<std::string>> resolved = ResolveReference(parsed, base);
    if (!resolved) {
      Add(reference.line, FindingKind::kMissing, written, written,
          "No file of the web can have this name.");
      return;
    }
    if (std::string program = ExtensionProgram(*resolved); !program.empty()) {
      Add(reference.line, FindingKind::kExtension, written, program,
          program +
              " belongs to the server extensions, which a plain host does not have: "
              "visitors get an error.");
      return;
    }
    const WebLookup lookup = index_.Find(*resolved, parsed.folder);
    if (lookup.outcome == WebLookup::Outcome::kUnreadable) {
      Unreadable(lookup.unreadable, lookup.reason);
      return;
    }
    if (lookup.outcome == WebLookup::Outcome::kMissing) {
      Add(reference.line, FindingKind::kMissing, written, JoinPath(*resolved),
          MissingSentence(parsed, *resolved));
      return;
    }
    JudgeTarget(reference, lookup);
  }

  // What the conversion does with a file or folder that exists in the web.
  void JudgeTarget(const PageReference& reference, const WebLookup& lookup) {
    const std::vector<std::string>& real = lookup.segments;
    const std::size_t folders = lookup.folder ? real.size() : real.size() - 1;
    const std::string path = JoinPath(real);
    for (std::size_t i = 0; i < folders; ++i) {
      if (!IsWalkedFolder(real[i])) {
        Add(reference.line, FindingKind::kDropped, reference.written, path,
            path + " lies in the folder " + real[i] +
                ", which the conversion leaves out: it will be missing on the host.");
        return;
      }
    }
    if (folders > 0 && IsExcludedFolder(real[folders - 1])) {
      bool kept = !lookup.folder && check_.policy_.keepUsedFiles;
      for (std::size_t i = 0; kept && i < folders; ++i) kept = !IsPrivateFolder(real[i]);
      if (!kept) {
        Add(reference.line, FindingKind::kDropped, reference.written, path,
            path + " lies in the folder " + real[folders - 1] +
                ", which the conversion leaves out: it will be missing on the host.");
        return;
      }
      check_.observer_->KeptFileUsed(path);
    }
    if (!lookup.folder && SkipListed(real.back())) {
      Add(reference.line, FindingKind::kSkipped, reference.written, path,
          "The skip list leaves out " + real.back() + ", so it will be missing on the host.");
      return;
    }
    if (lookup.caseOnly) {
      Add(reference.line, FindingKind::kCase, reference.written, path,
          "The web has " + path +
              ": the names differ in case, which a host that minds case does not forgive.");
    }
  }

  const SiteCheck& check_;
  std::string root_;
  WebIndex index_;
  PageWorkers workers_;
  std::deque<Page> pages_;  // in the order given to the workers
  CheckResult result_;
  std::string pagePath_;
  std::vector<CheckFinding> findings_;  // of the page being judged
  std::set<std::string> unreadable_;
};

SiteCheck::SiteCheck(const Options& options, std::vector<std::string> skipList,
                     CheckObserver* observer, FileSystem& fs)
    : policy_(options), observer_(observer ? observer : &nullObserver_), fs_(fs) {
  if (policy_.skipListApplies)
    for (const std::string& item : skipList) skipList_.push_back(LowerCase(item));
}

CheckResult SiteCheck::Run(const std::string& source) {
  Walk walk(*this, source);
  return walk.Run();
}

namespace {

class KeptFileCollector : public CheckObserver {
 public:
  explicit KeptFileCollector(CheckObserver* outer) : outer_(outer) {}
  void KeptFileUsed(const std::string& relativePath) override { kept.insert(relativePath); }
  void StatusChanged(const std::string& text) override {
    if (outer_) outer_->StatusChanged(text);
  }
  void Yield() override {
    if (outer_) outer_->Yield();
  }
  bool CancelRequested() override { return outer_ && outer_->CancelRequested(); }

  std::set<std::string> kept;

 private:
  CheckObserver* outer_;
};

}  // namespace

std::vector<std::string> KeptFilesOfPages(const std::string& source, const Options& options,
                                          const std::vector<std::string>& skipList,
                                          CheckObserver* observer, FileSystem& fs,
                                          std::vector<CheckError>* errors) {
  if (!RunPolicy(options).keepUsedFiles) return {};
  KeptFileCollector collector(observer);
  SiteCheck check(options, skipList, &collector, fs);
  CheckResult result = check.Run(source);
  if (errors) {
    if (result.refused) errors->push_back(CheckError{source, result.refusal});
    errors->insert(errors->end(), result.errors.begin(), result.errors.end());
  }
  return std::vector<std::string>(collector.kept.begin(), collector.kept.end());
}

KeptFilesProvider KeptFilesFromPages(const Options& options, std::vector<std::string> skipList,
                                     CheckObserver* observer, FileSystem& fs) {
  return [options, skipList = std::move(skipList), observer, &fs](const std::string& source) {
    std::vector<CheckError> errors;
    KeptFiles kept;
    kept.files = KeptFilesOfPages(source, options, skipList, observer, fs, &errors);
    kept.complete = errors.empty();
    return kept;
  };
}

}  // namespace tarnwick
