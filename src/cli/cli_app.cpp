#include "cli/cli_app.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <sstream>
#include <system_error>

#include "base/folder_path.h"
#include "base/path.h"
#include "base/text.h"
#include "check/site_check.h"
#include "check/target_tally.h"
#include "cli/status_line.h"
#include "cli/terminal.h"
#include "engine/conversion_run.h"
#include "engine/source_memory.h"
#include "report/check_section.h"
#include "report/comparison_report.h"
#include "settings/settings_store.h"
#include "settings/skip_list.h"

namespace tarnwick {

namespace {

constexpr const char* kProgramName = "tarnwick-convert";

// One option of the command line. New options are one more row here and one more field in
// CliArguments.
struct Flag {
  const char* name;
  const char* shortName;  // or nullptr
  const char* valueName;  // nullptr for a switch
  const char* help;
  std::function<void(CliArguments&, const std::string&)> apply;
};

const std::vector<Flag>& Flags() {
  static const std::vector<Flag> flags = {
      {"--settings-dir", nullptr, "DIR",
       "read settings.db and extras.db in DIR and remember the run there\n"
       "(default: the program's folder, as the window does)",
       [](CliArguments& a, const std::string& v) { a.settingsDir = v; }},
      {"--quiet", "-q", nullptr, "print nothing but failures and warnings",
       [](CliArguments& a, const std::string&) { a.quiet = true; }},
      {"--compare", nullptr, nullptr, "print the comparison report without converting",
       [](CliArguments& a, const std::string&) { a.compare = true; }},
      {"--report", nullptr, nullptr,
       "convert, then print the comparison report and what the\n"
       "check finds",
       [](CliArguments& a, const std::string&) { a.report = true; }},
      {"--check", nullptr, nullptr,
       "print what will break on a plain host, without converting:\n"
       "one line per finding: page, line, kind, reference, sentence",
       [](CliArguments& a, const std::string&) { a.check = true; }},
      {"--summary", nullptr, nullptr,
       "with --check: one line per target instead: kind, target,\n"
       "number of pages, number of references, first page",
       [](CliArguments& a, const std::string&) { a.summary = true; }},
      {"--help", "-h", nullptr, "show this help and exit",
       [](CliArguments& a, const std::string&) { a.help = true; }},
      {"--version", nullptr, nullptr, "show the version and exit",
       [](CliArguments& a, const std::string&) { a.version = true; }},
  };
  return flags;
}

const Flag* FindFlag(const std::string& name) {
  for (const Flag& flag : Flags()) {
    if (name == flag.name || (flag.shortName != nullptr && name == flag.shortName)) return &flag;
  }
  return nullptr;
}

// The window makes the same value of what is typed into its fields, so a text names one folder
// in both front ends and both share one memory per web.
std::string FolderArgument(const std::string& text) { return FolderPath(text).Text(); }

// One line per report line, its fields joined by a tab. Only a terminal gets them padded so
// that the columns line up; a pipe or a file gets the lines as they are, for awk, cut and grep.
void PrintReport(std::ostream& out, bool outIsTerminal, const std::string& source,
                 const std::string& destination) {
  std::vector<std::string> lines = BuildComparisonReport(source, destination);
  if (outIsTerminal) lines = TerminalLayout(lines);
  for (const std::string& line : lines) out << line << "\n";
}

// What the check prints: one line per finding as it is found, one line per target at the
// end, or the report's section (its head, then the findings' lines).
enum class CheckOutput { kFindings, kTargets, kSection };

// Prints or keeps what the check finds; a run observer's status, yield and interrupt carry
// over to the check.
class FindingPrinter : public CheckObserver {
 public:
  FindingPrinter(std::ostream& out, CheckOutput output, RunObserver& status)
      : out_(out), output_(output), status_(status) {}
  void FindingFound(const CheckFinding& finding) override {
    if (output_ != CheckOutput::kFindings) tally_.Add(finding);
    if (output_ == CheckOutput::kFindings) out_ << FindingLine(finding) << "\n";
    if (output_ == CheckOutput::kSection) held_.push_back(FindingLine(finding));
  }
  void StatusChanged(const std::string& text) override { status_.StatusChanged(text); }
  void Yield() override { status_.Yield(); }
  bool CancelRequested() override { return status_.CancelRequested(); }

  // What waited for the end of the check.
  void Finish(const CheckResult& result) {
    if (output_ == CheckOutput::kTargets)
      for (const TargetSummary& target : tally_.Targets()) out_ << TargetLine(target) << "\n";
    if (output_ != CheckOutput::kSection) return;
    out_ << "\n";
    for (const std::string& line : CheckSectionHead(result, tally_.Targets())) out_ << line << "\n";
    for (const std::string& line : held_) out_ << line << "\n";
  }

 private:
  std::ostream& out_;
  CheckOutput output_;
  RunObserver& status_;
  TargetTally tally_;
  std::vector<std::string> held_;
};

CheckResult PrintCheck(std::ostream& out, std::ostream& err, StatusLine& status, CheckOutput output,
                       const std::string& source, const Options& options,
                       const std::vector<std::string>& skipList) {
  FindingPrinter printer(out, output, status);
  SiteCheck check(options, skipList, &printer);
  CheckResult result = check.Run(source);
  status.Clear();
  printer.Finish(result);
  if (result.refused) err << result.refusal << "\n";
  for (const CheckError& error : result.errors)
    err << kProgramName << ": cannot check " << error.path << ": " << error.reason << "\n";
  return result;
}

void PrintSummary(std::ostream& out, const RunResult& result) {
  out << "Files in the work list: " << result.entries << "\n"
      << "Files copied:           " << result.copied << "\n"
      << "Files new or changed:   " << result.reported << "\n"
      << "Files deleted:          " << result.deleted << "\n";
  if (result.deletedFound > result.deleted) {
    out << "Files kept without a source: " << result.deletedFound - result.deleted << "\n";
  }
  out << "Failures:               " << result.failures.size() << "\n";
}

}  // namespace

std::string UsageLine() {
  return std::string("usage: ") + kProgramName +
         " [--settings-dir DIR] [--quiet] [--compare | --report | --check [--summary]] SOURCE "
         "[DESTINATION]";
}

std::string HelpText() {
  std::ostringstream text;
  text << UsageLine() << "\n\n"
       << "Converts the FrontPage web SOURCE into the FTP web DESTINATION, with the options and\n"
       << "the skip list of the window. Without DESTINATION the destination last used for\n"
       << "SOURCE is taken, or SOURCE followed by -FTP.\n\n"
       << "Options:\n";
  for (const Flag& flag : Flags()) {
    std::string names = flag.shortName != nullptr ? std::string(flag.shortName) + ", " + flag.name
                                                  : std::string("    ") + flag.name;
    if (flag.valueName != nullptr) names += std::string(" ") + flag.valueName;
    // The help text starts in one column; its continuation lines are indented to it.
    constexpr std::size_t kHelpColumn = 26;
    std::string help = flag.help;
    for (std::size_t pos = 0; (pos = help.find('\n', pos)) != std::string::npos;) {
      help.insert(pos + 1, std::string(kHelpColumn, ' '));
      pos += kHelpColumn + 1;
    }
    std::string lead = "  " + names;
    lead.resize(std::max(lead.size() + 1, kHelpColumn), ' ');
    text << lead << help << "\n";
  }
  text << "\nExit status: 0 when every file was handled, 1 when a copy, folder creation or\n"
       << "deletion failed, 2 when the run was refused (also for a settings.db that cannot be\n"
       << "read) or the arguments are wrong.\n"
       << "With --check: 0 when nothing is found, 1 when something is, 2 on errors.\n";
  return text.str();
}

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    const Flag* flag = FindFlag(name);
    if (flag == nullptr) {
      parsed.error = "unknown option " + name;
      return parsed;
    }
    std::string value;
    if (flag->valueName != nullptr) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        parsed.error = name + " needs a value";
        return parsed;
      }
    } else if (inlineValue) {
      parsed.error = name + " takes no value";
      return parsed;
    }
    flag->apply(parsed.arguments, value);
  }
  if (parsed.arguments.help || parsed.arguments.version) return parsed;
  if (parsed.arguments.compare + parsed.arguments.report + parsed.arguments.check > 1) {
    parsed.error = "--compare, --report and --check cannot be combined";
    return parsed;
  }
  if (parsed.arguments.summary && !parsed.arguments.check) {
    parsed.error = "--summary goes with --check only";
    return parsed;
  }
  if (positional.empty()) {
    parsed.error = "missing SOURCE";
  } else if (positional.size() > 2) {
    parsed.error = "too many arguments";
  } else if (parsed.arguments.check && positional.size() > 1) {
    parsed.error = "--check takes SOURCE only";
  } else {
    parsed.arguments.source = positional[0];
    if (positional.size() == 2) parsed.arguments.destination = positional[1];
  }
  return parsed;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool outIsTerminal, bool errIsTerminal) {
  ParsedArguments parsed = ParseArguments(args);
  if (!parsed.error.empty()) {
    err << kProgramName << ": " << parsed.error << "\n" << UsageLine() << "\n";
    return kExitRefused;
  }
  const CliArguments& arguments = parsed.arguments;
  if (arguments.help) {
    out << HelpText();
    return kExitSuccess;
  }
  if (arguments.version) {
    out << kProgramName << " " << TARNWICK_VERSION << "\n";
    return kExitSuccess;
  }

  std::string settingsDir = arguments.settingsDir;
  if (settingsDir.empty()) {
    settingsDir = ProgramFolder();
    if (settingsDir.empty()) {
      err << kProgramName
          << ": no folder for the settings: the home folder is unknown; use --settings-dir\n";
      return kExitRefused;
    }
  } else {
    std::error_code error;
    if (!std::filesystem::is_directory(PathFromText(settingsDir), error)) {
      err << kProgramName << ": --settings-dir: no such folder: " << settingsDir << "\n";
      return kExitRefused;
    }
  }
  const std::string settingsFile = SettingsFilePath(settingsDir);

  LoadedOptions loaded = LoadOptions(settingsFile);
  if (loaded.problem.empty()) loaded.problem = OptionFilesProblem(settingsDir);
  if (!loaded.problem.empty()) {
    // The defaults in its place would delete what the user keeps in the FTP web on purpose.
    err << kProgramName << ": " << PrintableText(loaded.problem) << "\n";
    return kExitRefused;
  }
  // Warnings are shown even with --quiet: an option that is not the user's changes the run.
  for (const std::string& key : loaded.damagedKeys) {
    err << kProgramName << ": warning: " << PrintableText(settingsFile) << ": the value of " << key
        << " is not 0, 1 or 2; using the default\n";
  }
  std::vector<std::string> skipList = LoadSkipList(SkipListFilePath(settingsDir));

  const std::string source = FolderArgument(arguments.source);
  if (arguments.check) {
    StatusLine status(err, errIsTerminal && !arguments.quiet, StandardErrorColumns());
    CatchInterrupt();
    CheckResult result = PrintCheck(
        out, err, status, arguments.summary ? CheckOutput::kTargets : CheckOutput::kFindings,
        source, loaded.options, skipList);
    if (result.cancelled) {
      err << kProgramName << ": interrupted; the check is incomplete\n";
      return kExitInterrupted;
    }
    if (result.refused || !result.errors.empty()) return kExitCheckErrors;
    return result.findings > 0 ? kExitCheckFindings : kExitCheckClean;
  }

  SourceMemory memory(settingsFile);
  const std::string destination = arguments.destination ? FolderArgument(*arguments.destination)
                                                        : memory.ProposedDestination(source);

  if (arguments.compare) {
    PrintReport(out, outIsTerminal, source, destination);
    return kExitSuccess;
  }

  StatusLine status(err, errIsTerminal && !arguments.quiet, StandardErrorColumns());
  CatchInterrupt();
  ConversionRun run(loaded.options, skipList, &status);
  run.SetKeptFilesProvider(
      KeptFilesFromPages(loaded.options, skipList, &status, SystemFileSystem()));
  RunResult result = run.Run(source, destination);
  status.Clear();

  if (result.refusal) {
    err << PrintableText(result.refusal.message) << "\n";
    return kExitRefused;
  }
  // One line each, whatever the names hold.
  for (const std::string& notice : result.notices)
    err << kProgramName << ": warning: " << PrintableText(notice) << "\n";
  for (const FailureGroup& group : GroupedFailures(result.failures)) {
    const RunFailure& failure = group.first;
    err << kProgramName << ": cannot " << failure.operation << " " << PrintableText(failure.path)
        << ": " << PrintableText(failure.reason);
    if (group.count > 1) err << " (and " << group.count - 1 << " more for the same reason)";
    err << "\n";
  }
  if (!arguments.quiet) PrintSummary(out, result);
  if (arguments.report) {
    PrintReport(out, outIsTerminal, source, destination);
    // The findings follow the report; they do not change how the conversion went.
    if (!result.cancelled)
      PrintCheck(out, err, status, CheckOutput::kSection, source, loaded.options, skipList);
  }
  if (result.cancelled) {
    err << kProgramName << ": interrupted; stopped after the file in progress\n";
    return kExitInterrupted;
  }
  memory.RememberConversion(source, destination);
  return result.failures.empty() ? kExitSuccess : kExitFailures;
}

}  // namespace tarnwick
