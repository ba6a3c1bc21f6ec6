// tarnwick-bench: times three conversion runs of a synthetic web against plain copies of the
// same files, and reports peak memory and how the change logs were written.
//
// Each conversion runs in a child process started from this very program, so that the
// measured memory is the run's own and not the generator's.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "check/site_check.h"
#include "counting_file_system.h"
#include "engine/conversion_run.h"
#include "report/tree_tally.h"
#include "rules/file_compare.h"
#include "rules/web_folders.h"
#include "settings/settings_store.h"
#include "web_generator.h"

extern char** environ;

namespace fs = std::filesystem;
using tarnwick::WebGenerator;
using tarnwick::WebShape;

namespace {

constexpr double kFirstRatioTarget = 1.1;  // the first run against two plain copies
constexpr double kRatioTarget = 1.5;
constexpr double kTallyRatioTarget = 2.0;
constexpr double kMemoryTargetMb = 100.0;
constexpr double kLogWriteTarget = 2.0;    // bytes written per byte of final log
constexpr double kCheckRatioTarget = 3.0;  // the site check against reading its files once
constexpr double kEditFraction = 0.05;
constexpr double kDeleteFraction = 0.02;

// A skip list that names files the web does not hold: every file is still compared with it.
const std::vector<std::string> kSkipList = {"Thumbs.db", "desktop.ini"};

struct ProcessTime {
  bool ok = false;
  double seconds = 0;
  long maxRssKb = 0;
};

// The statistics file of the disk that holds the work folder; empty when there is none.
std::string& DiskStatFile() {
  static std::string file;
  return file;
}

void FindDiskStatFile(const std::string& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return;
  const std::string file = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                           std::to_string(minor(st.st_dev)) + "/stat";
  if (std::ifstream(file).good()) DiskStatFile() = file;
}

std::string DiskCounters() {
  std::ifstream in(DiskStatFile());
  std::string counters;
  std::getline(in, counters);
  return counters;
}

// Writes back what is pending, then waits until the disk has done the work it defers (writing,
// discarding freed blocks): no counter of the disk may move for two seconds, at most a minute.
// So no timed step pays for the step before it.
void Settle() {
  ::sync();
  if (DiskStatFile().empty()) {
    ::sleep(1);
    ::sync();
    return;
  }
  std::string last = DiskCounters();
  int still = 0;
  for (int waited = 0; waited < 600 && still < 20; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string now = DiskCounters();
    still = now == last ? still + 1 : 0;
    last = now;
  }
}

// Starts argv[0] (searched in PATH), waits, and returns the wall time of the whole child.
ProcessTime TimeProcess(const std::vector<std::string>& args, bool quiet = false) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  ProcessTime result;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(rc));
    return result;
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return result;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  result.maxRssKb = usage.ru_maxrss;
  if (!result.ok) std::fprintf(stderr, "%s failed (status %d)\n", argv[0], status);
  return result;
}

// The high-water mark of this process image's resident memory. ru_maxrss of a child is no use
// here: Linux carries the parent's size at the fork across exec into it.
long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Another build of this program whose conversion runs are timed instead of this one's (same
// child protocol), so that two versions are measured with the same harness.
std::string& ChildProgram() {
  static std::string program;
  return program;
}

std::string SelfPath() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("tarnwick-bench") : self.string();
}

// The options of a user without a settings.db (none is beside the child's output): every
// option on but starting the FTP client, for a benchmark never starts a program.
tarnwick::Options NewUserOptions(const std::string& out) {
  return tarnwick::LoadOptions(tarnwick::SettingsFilePath(out + ".no-settings")).options;
}

// --- the child: one conversion run ------------------------------------------------------------

int ConvertChild(const std::string& source, const std::string& dest, const std::string& out) {
  tarnwick::Options options = NewUserOptions(out);
  tarnwick::CountingFileSystem counting(tarnwick::SystemFileSystem());
  auto start = std::chrono::steady_clock::now();
  tarnwick::RunResult result;
  {
    tarnwick::ConversionRun run(options, kSkipList, nullptr, counting);
    run.SetKeptFilesProvider(tarnwick::KeptFilesFromPages(options, kSkipList, nullptr, counting));
    result = run.Run(source, dest);
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ofstream file(out, std::ios::binary);
  file << "seconds " << seconds << "\npeak_kb " << PeakResidentKb() << "\nentries "
       << result.entries << "\ncopied " << result.copied << "\nreported " << result.reported
       << "\ndeleted_found " << result.deletedFound << "\ndeleted " << result.deleted
       << "\nfailures " << result.failures.size() << "\nlog_writes " << counting.logWrites
       << "\nlog_bytes " << counting.logBytes << "\nlog_seconds " << counting.logSeconds
       << "\ncopies " << counting.copies << "\ncopy_seconds " << counting.copySeconds
       << "\nrefused " << (result.refusal ? 1 : 0) << "\n";
  for (const tarnwick::RunFailure& f : result.failures) {
    std::fprintf(stderr, "%s %s: %s\n", f.operation.c_str(), f.path.c_str(), f.reason.c_str());
  }
  if (result.refusal) std::fprintf(stderr, "refused: %s\n", result.refusal.message.c_str());
  return file.good() ? 0 : 1;
}

// --- the child: one tally of a tree -----------------------------------------------------------

int TallyChild(const std::string& tree, const std::string& out) {
  tarnwick::TreeTally tally;
  auto start = std::chrono::steady_clock::now();
  tarnwick::TallyTree(tarnwick::SystemFileSystem(), tree, tally, false);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ofstream file(out, std::ios::binary);
  file << "seconds " << seconds << "\npeak_kb " << PeakResidentKb() << "\nfolders " << tally.Folders
       << "\nfiles " << tally.Files << "\nbytes " << tally.Bytes << "\n";
  return file.good() ? 0 : 1;
}

// --- the children: the site check, and reading what it reads ----------------------------------

// The generator's pages link to _vti_inf.html now and then: naming it here gives the check
// "skipped" findings too.
std::vector<std::string> CheckSkipList() {
  std::vector<std::string> list = kSkipList;
  list.push_back("_vti_inf.html");
  return list;
}

class KindCounter : public tarnwick::CheckObserver {
 public:
  void FindingFound(const tarnwick::CheckFinding& finding) override {
    ++kinds[static_cast<int>(finding.kind)];
  }
  std::map<int, std::int64_t> kinds;
};

int CheckChild(const std::string& web, const std::string& out) {
  KindCounter counter;
  auto start = std::chrono::steady_clock::now();
  tarnwick::SiteCheck check(NewUserOptions(out), CheckSkipList(), &counter);
  tarnwick::CheckResult result = check.Run(web);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ofstream file(out, std::ios::binary);
  file << "seconds " << seconds << "\npeak_kb " << PeakResidentKb() << "\npages " << result.pages
       << "\nfindings " << result.findings << "\nkinds " << counter.kinds.size() << "\nerrors "
       << result.errors.size() + (result.refused ? 1 : 0) << "\n";
  return file.good() ? 0 : 1;
}

// The check's own walk (folders the conversion leaves out, the skip list), reading every page
// and style sheet once and doing nothing else with it.
void ReadCheckedFiles(tarnwick::FileSystem& fs, const std::string& folder, bool kept,
                      const std::vector<std::string>& skip, std::int64_t& files,
                      std::int64_t& bytes) {
  tarnwick::FolderListing listing;
  std::string error;
  if (!fs.ReadFolder(folder, listing, &error)) return;
  if (kept) {
    for (const std::string& name : listing.files) {
      if (!tarnwick::IsCheckedFile(name)) continue;
      if (std::find(skip.begin(), skip.end(), tarnwick::LowerCase(name)) != skip.end()) continue;
      std::string content;
      if (!fs.ReadTextFile(folder + "/" + name, content, &error)) continue;
      ++files;
      bytes += static_cast<std::int64_t>(content.size());
    }
  }
  for (const std::string& name : listing.folders) {
    if (tarnwick::IsWalkedFolder(name))
      ReadCheckedFiles(fs, folder + "/" + name, !tarnwick::IsExcludedFolder(name), skip, files,
                       bytes);
  }
}

int ReadChild(const std::string& web, const std::string& out) {
  std::vector<std::string> skip;
  for (const std::string& name : CheckSkipList()) skip.push_back(tarnwick::LowerCase(name));
  std::int64_t files = 0;
  std::int64_t bytes = 0;
  auto start = std::chrono::steady_clock::now();
  ReadCheckedFiles(tarnwick::SystemFileSystem(), web, true, skip, files, bytes);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ofstream file(out, std::ios::binary);
  file << "seconds " << seconds << "\npeak_kb " << PeakResidentKb() << "\nfiles " << files
       << "\nbytes " << bytes << "\n";
  return file.good() ? 0 : 1;
}

// --- the parent ---------------------------------------------------------------------------------

struct RunReport {
  ProcessTime process;
  std::map<std::string, double> values;
  double Value(const char* key) const {
    auto it = values.find(key);
    return it == values.end() ? -1 : it->second;
  }
};

std::int64_t FileSize(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<std::int64_t>(size);
}

// Empties the kernel's page cache (root only), so that the next step reads from the disk.
bool DropPageCache() {
  ::sync();
  std::ofstream control("/proc/sys/vm/drop_caches");
  control << "1\n";
  control.flush();
  return control.good();
}

RunReport TimeChild(const std::vector<std::string>& args, const std::string& resultFile,
                    bool cold = false) {
  RunReport report;
  std::error_code ec;
  fs::remove(resultFile, ec);
  Settle();
  if (cold && !DropPageCache()) return report;
  report.process = TimeProcess(args);
  std::ifstream in(resultFile);
  std::string key;
  double value = 0;
  while (in >> key >> value) report.values[key] = value;
  if (report.values.empty()) report.process.ok = false;
  return report;
}

std::string ConvertProgram() { return ChildProgram().empty() ? SelfPath() : ChildProgram(); }

RunReport TimeConversion(const std::string& source, const std::string& dest,
                         const std::string& resultFile) {
  return TimeChild({ConvertProgram(), "--convert-child", source, dest, resultFile}, resultFile);
}

// The fastest of several tries counts: other work on the machine only ever adds time. The
// peak memory is the highest of all tries.
void KeepFastest(ProcessTime& best, const ProcessTime& next) {
  if (!next.ok && best.ok) return;
  if (!best.ok || next.seconds < best.seconds) best = next;
}

void KeepFastest(RunReport& best, const RunReport& next) {
  double peak = std::max(best.Value("peak_kb"), next.Value("peak_kb"));
  if (!best.process.ok || (next.process.ok && next.process.seconds < best.process.seconds)) {
    best = next;
  }
  best.values["peak_kb"] = peak;
}

// Times "cp -a staging fresh" for each fresh folder. The copies stay until the end: deleting
// them here would slow the next timed step.
ProcessTime TimeReferenceCopies(const std::string& staging, const std::vector<std::string>& fresh) {
  ProcessTime total;
  total.ok = true;
  for (const std::string& target : fresh) {
    Settle();
    ProcessTime one = TimeProcess({"cp", "-a", staging, target});
    total.ok = total.ok && one.ok;
    total.seconds += one.seconds;
  }
  return total;
}

bool HasExclusionWord(const std::string& name) {
  std::string lowered = tarnwick::LowerCase(name);
  for (const char* word : {"_vti", "_private", "_fpclass", "_borders", "_overlay"}) {
    if (lowered.find(word) != std::string::npos) return true;
  }
  return false;
}

// Copies into staging only the files a conversion copies, keeping their times: files of
// folders whose own name holds a server-extension word are left out, folders starting with
// "." entirely. Nothing is deleted, so no freed blocks weigh on the timed steps.
void CopyConvertedFiles(const fs::path& from, const fs::path& to, bool withFiles) {
  if (withFiles) fs::create_directories(to);  // the engine makes no folder it fills nothing in
  for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
    std::string name = entry.path().filename().string();
    if (entry.is_directory() && !entry.is_symlink()) {
      if (!name.empty() && name[0] != '.') {
        CopyConvertedFiles(entry.path(), to / name, !HasExclusionWord(name));
      }
    } else if (withFiles && entry.is_regular_file()) {
      fs::copy_file(entry.path(), to / name);
      fs::last_write_time(to / name, fs::last_write_time(entry.path()));
    }
  }
}

bool BuildStaging(const std::string& web, const std::string& staging) {
  try {
    CopyConvertedFiles(web, staging, true);
  } catch (const fs::filesystem_error& e) {
    std::fprintf(stderr, "cannot prepare %s: %s\n", staging.c_str(), e.what());
    return false;
  }
  return true;
}

// One row of an strace -c summary: calls and errors of the named call ("total" for all).
bool SummaryRow(const std::string& file, const std::string& call, double& calls, double& errors) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    if (words.size() < 5 || words.back() != call) continue;
    // percent, seconds, usecs/call, calls, [errors,] name
    calls = std::strtod(words[3].c_str(), nullptr);
    errors = words.size() >= 6 ? std::strtod(words[4].c_str(), nullptr) : 0;
    return true;
  }
  return false;
}

double Calls(const std::string& file, const std::string& call) {
  double calls = 0, errors = 0;
  return SummaryRow(file, call, calls, errors) ? calls : 0;
}

double Errors(const std::string& file, const std::string& call) {
  double calls = 0, errors = 0;
  return SummaryRow(file, call, calls, errors) ? errors : 0;
}

// Runs the command under strace -c -f, summary into file; the number of all its system calls,
// or -1.
double CountSystemCalls(const std::vector<std::string>& command, const std::string& file) {
  std::vector<std::string> args = {"strace", "-c", "-f", "-o", file};
  args.insert(args.end(), command.begin(), command.end());
  Settle();
  if (!TimeProcess(args).ok) return -1;
  double calls = 0, errors = 0;
  return SummaryRow(file, "total", calls, errors) ? calls : -1;
}

struct BenchOptions {
  WebShape shape;
  int repeat = 1;
  std::string workParent;
  bool keep = false;
  bool syscalls = false;  // count system calls per file under strace
  bool check = true;      // also the tally and the site check
};

void Usage() {
  std::fprintf(
      stderr,
      "usage: tarnwick-bench [--files N] [--folders N] [--seed S] [--repeat N] [--work DIR]\n"
      "                      [--keep] [--syscalls] [--runs-only] [--child PROGRAM]\n"
      "  Generates a synthetic web (default 20000 files in 1000 folders) in a new\n"
      "  folder inside DIR (default: the temporary folder), times three conversion\n"
      "  runs against cp -a of the same files, and prints times, ratios and memory.\n"
      "  With --repeat N every step is timed N times and the fastest try counts.\n"
      "  --syscalls also counts the system calls of a first run and of cp -a per file\n"
      "  (untimed, under strace -c -f); --runs-only leaves out the tally and the site check;\n"
      "  --child times the conversion runs of another build of tarnwick-bench.\n");
}

bool ParseNumber(const char* text, std::int64_t& value) {
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || v < 0) return false;
  value = v;
  return true;
}

bool ParseArgs(int argc, char** argv, BenchOptions& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    std::int64_t number = 0;
    if (arg == "--files" || arg == "--folders" || arg == "--seed") {
      const char* text = next();
      if (text == nullptr || !ParseNumber(text, number)) {
        std::fprintf(stderr, "%s needs a whole number\n", arg.c_str());
        return false;
      }
      if (arg == "--files") {
        if (number < 1) {
          std::fprintf(stderr, "--files needs at least 1\n");
          return false;
        }
        options.shape.files = number;
      } else if (arg == "--folders") {
        options.shape.folders = number;
      } else {
        options.shape.seed = static_cast<std::uint64_t>(number);
      }
    } else if (arg == "--repeat") {
      const char* text = next();
      if (text == nullptr || !ParseNumber(text, number) || number < 1 || number > 20) {
        std::fprintf(stderr, "--repeat needs a number from 1 to 20\n");
        return false;
      }
      options.repeat = static_cast<int>(number);
    } else if (arg == "--work") {
      const char* text = next();
      if (text == nullptr) {
        std::fprintf(stderr, "--work needs a folder\n");
        return false;
      }
      options.workParent = text;
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--child") {
      const char* text = next();
      if (text == nullptr) {
        std::fprintf(stderr, "--child needs a program\n");
        return false;
      }
      ChildProgram() = text;
    } else if (arg == "--syscalls") {
      options.syscalls = true;
    } else if (arg == "--runs-only") {
      options.check = false;
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      std::exit(0);
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", arg.c_str());
      return false;
    }
  }
  return true;
}

std::string Verdict(bool met) { return met ? "met" : "NOT MET"; }

void PrintRow(const char* step, const RunReport& ours, const ProcessTime& reference,
              double target = kRatioTarget) {
  double ratio = reference.seconds > 0 ? ours.process.seconds / reference.seconds : 0;
  double peakMb = ours.Value("peak_kb") / 1024.0;
  std::printf("%-34s %9.3f %11.3f %7.2f  <=%.1f %-8s %9.1f\n", step, ours.process.seconds,
              reference.seconds, ratio, target, Verdict(ratio <= target).c_str(), peakMb);
}

// The run's own counts against what the generator did; a wrong result makes a time worthless.
bool CheckCounts(const char* step, const RunReport& run, std::int64_t copied, std::int64_t reported,
                 std::int64_t deleted) {
  bool ok = run.process.ok && run.Value("refused") == 0 && run.Value("failures") == 0 &&
            run.Value("copied") == static_cast<double>(copied) &&
            run.Value("reported") == static_cast<double>(reported) &&
            run.Value("deleted") == static_cast<double>(deleted);
  if (!ok) {
    std::printf(
        "  %s: expected copied %lld, reported %lld, deleted %lld; got copied %.0f, reported "
        "%.0f, deleted %.0f, failures %.0f\n",
        step, static_cast<long long>(copied), static_cast<long long>(reported),
        static_cast<long long>(deleted), run.Value("copied"), run.Value("reported"),
        run.Value("deleted"), run.Value("failures"));
  }
  return ok;
}

void PrintLogLine(const char* step, const RunReport& run, std::int64_t logSize) {
  double writes = run.Value("log_writes");
  double bytes = run.Value("log_bytes");
  double keys = run.Value("reported") * 2 + run.Value("deleted_found") * 2;
  if (keys <= 0) {
    std::printf("  %s: no key logged, %.0f log writes\n", step, writes);
    return;
  }
  double perByte = logSize > 0 ? bytes / static_cast<double>(logSize) : 0;
  std::printf(
      "  %s: %.0f keys, %.0f writes, %.2f MB written for %.2f MB of logs (%.2fx, target "
      "<=%.1fx) %s\n",
      step, keys, writes, bytes / 1048576.0, static_cast<double>(logSize) / 1048576.0, perByte,
      kLogWriteTarget, Verdict(perByte <= kLogWriteTarget).c_str());
}

// Where a run's time went, as the child measured it.
void PrintBreakdown(const char* step, const RunReport& run) {
  double total = run.Value("seconds");
  double copies = run.Value("copy_seconds");
  double logs = run.Value("log_seconds");
  std::printf(
      "  %s: %.3f s in the run: %.3f s for %.0f copies, %.3f s writing logs, %.3f s the rest "
      "(scan, look-ups, sweep)\n",
      step, total, copies, run.Value("copies"), logs, total - copies - logs);
}

int RunBenchmark(const BenchOptions& options) {
  std::error_code ec;
  std::string parent =
      options.workParent.empty() ? fs::temp_directory_path(ec).string() : options.workParent;
  fs::create_directories(parent, ec);
  std::string pattern = parent + "/tarnwick-bench-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    std::fprintf(stderr, "cannot create a work folder in %s: %s\n", parent.c_str(),
                 std::strerror(errno));
    return 1;
  }
  const std::string work = buffer.data();
  FindDiskStatFile(work);
  const std::string web = work + "/web";
  const std::string dest = work + "/web-FTP";
  const std::string staging = work + "/kept";
  const std::string stagingAfter = work + "/kept-after-edits";
  const std::string result = work + "/run-result.txt";
  auto cleanUp = [&] {
    if (!options.keep) fs::remove_all(work, ec);
  };

  std::printf("Tarnwick conversion benchmark\n");
  std::printf("work folder: %s%s\n", work.c_str(), options.keep ? " (kept)" : "");
  auto genStart = std::chrono::steady_clock::now();
  WebGenerator generator(options.shape);
  std::string error;
  if (!generator.Generate(web, &error)) {
    std::fprintf(stderr, "cannot generate the web: %s\n", error.c_str());
    cleanUp();
    return 1;
  }
  double genSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - genStart).count();
  const tarnwick::WebCounts counts = generator.Counts();
  std::printf(
      "web: %lld files (%.1f MB) in %lld folders, %lld _vti_cnf files, %lld extension-folder "
      "files; seed %llu; generated in %.1f s\n",
      static_cast<long long>(counts.keptFiles), static_cast<double>(counts.keptBytes) / 1048576.0,
      static_cast<long long>(counts.contentFolders), static_cast<long long>(counts.mirrorFiles),
      static_cast<long long>(counts.extensionFiles),
      static_cast<unsigned long long>(options.shape.seed), genSeconds);
  if (!BuildStaging(web, staging)) {
    cleanUp();
    return 1;
  }
  std::printf(
      "every option on (LaunchFTP off), skip list of %zu names; reference: cp -a of the "
      "%lld kept files; fastest of %d tries\n\n",
      kSkipList.size(), static_cast<long long>(counts.keptFiles), options.repeat);
  std::printf("%-34s %9s %11s %7s  %-14s %9s\n", "step", "ours (s)", "cp -a (s)", "ratio", "target",
              "peak (MB)");

  bool countsOk = true;
  auto logSize = [&] {
    return FileSize(dest + "/changes.ini") + FileSize(dest + "-Uploads/changes.ini");
  };

  const int repeat = options.repeat;
  auto tryDest = [&](const char* step, int r) {
    std::string folder = work + "/" + step + "-try" + std::to_string(r);
    fs::create_directories(folder, ec);
    return folder + "/web-FTP";
  };
  auto refFolder = [&](const char* name, int r) {
    return work + "/ref-" + name + "-" + std::to_string(r);
  };

  // (a) first run into an empty destination; the reference copies twice, destination and
  // uploads folder. Extra tries go into fresh destinations of their own.
  RunReport first;
  ProcessTime firstRef;
  for (int r = 0; r < repeat; ++r) {
    const bool last = r == repeat - 1;
    RunReport run = TimeConversion(web, last ? dest : tryDest("a", r), result);
    countsOk &= CheckCounts("(a)", run, counts.keptFiles, counts.keptFiles, 0);
    KeepFastest(first, run);
    KeepFastest(firstRef, TimeReferenceCopies(staging, {refFolder("a1", r), refFolder("a2", r)}));
  }
  std::int64_t firstLog = logSize();
  PrintRow("(a) first run, empty destination", first, firstRef, kFirstRatioTarget);

  // (b) nothing changed; every try finds the same destination.
  RunReport second;
  ProcessTime secondRef;
  for (int r = 0; r < repeat; ++r) {
    RunReport run = TimeConversion(web, dest, result);
    countsOk &= CheckCounts("(b)", run, counts.keptFiles, 0, 0);
    KeepFastest(second, run);
    KeepFastest(secondRef, TimeReferenceCopies(staging, {refFolder("b", r)}));
  }
  std::int64_t secondLog = FileSize(dest + "/changes.ini");
  PrintRow("(b) second run, nothing changed", second, secondRef);

  // (c) a share of the files edited and deleted (not timed), then the run. Extra tries start
  // from copies of the destination and uploads folder as they are now.
  for (int r = 0; r + 1 < repeat; ++r) {
    std::string copy = tryDest("c", r);
    if (!TimeProcess({"cp", "-a", dest, copy}).ok ||
        !TimeProcess({"cp", "-a", dest + "-Uploads", copy + "-Uploads"}).ok) {
      cleanUp();
      return 1;
    }
  }
  std::vector<std::string> edited =
      generator.EditFiles(web, kEditFraction, options.shape.seed + 1, &error);
  std::vector<std::string> deleted =
      error.empty() ? generator.DeleteFiles(web, kDeleteFraction, options.shape.seed + 2, &error)
                    : std::vector<std::string>{};
  if (!error.empty() || !BuildStaging(web, stagingAfter)) {
    std::fprintf(stderr, "cannot change the web: %s\n", error.c_str());
    cleanUp();
    return 1;
  }
  // Files both edited and then deleted are not reported as changed.
  std::int64_t editedLive = 0;
  {
    std::vector<std::string> gone(deleted.begin(), deleted.end());
    std::sort(gone.begin(), gone.end());
    for (const std::string& path : edited) {
      if (!std::binary_search(gone.begin(), gone.end(), path)) ++editedLive;
    }
  }
  const tarnwick::WebCounts after = generator.Counts();
  RunReport third;
  ProcessTime thirdRef;
  for (int r = 0; r < repeat; ++r) {
    const bool last = r == repeat - 1;
    RunReport run = TimeConversion(web, last ? dest : tryDest("c", r), result);
    countsOk &= CheckCounts("(c)", run, after.keptFiles, editedLive,
                            static_cast<std::int64_t>(deleted.size()));
    KeepFastest(third, run);
    KeepFastest(thirdRef, TimeReferenceCopies(stagingAfter, {refFolder("c", r)}));
  }
  std::int64_t thirdLog = logSize();
  PrintRow("(c) 5% edited, 2% deleted", third, thirdRef);

  if (options.check) {
    // Tally of the web, as the comparison report counts it, against du on the same tree.
    Settle();
    ProcessTime du;
    RunReport tally;
    for (int r = 0; r < repeat; ++r) {
      KeepFastest(du, TimeProcess({"du", "-s", "--apparent-size", web}, true));
      KeepFastest(tally, TimeChild({SelfPath(), "--tally-child", web, result}, result));
    }
    double tallyRatio = du.seconds > 0 ? tally.process.seconds / du.seconds : 0;
    std::printf("%-34s %9.3f %11.3f %7.2f  <=%.1f %-8s %9.1f\n", "tally of the web (ref. du -s)",
                tally.process.seconds, du.seconds, tallyRatio, kTallyRatioTarget,
                Verdict(tallyRatio <= kTallyRatioTarget).c_str(), tally.Value("peak_kb") / 1024.0);
    const std::int64_t onDisk = after.keptFiles + after.mirrorFiles + after.extensionFiles;
    if (!tally.process.ok || !du.ok || tally.Value("files") != static_cast<double>(onDisk)) {
      std::printf("  tally: expected %lld files, counted %.0f\n", static_cast<long long>(onDisk),
                  tally.Value("files"));
      countsOk = false;
    }

    // The site check of the web against reading every file it reads once, side by side: with
    // the pages in the page cache, as after a conversion, and read from the disk when the cache
    // can be emptied (root only).
    for (bool cold : {false, true}) {
      RunReport check;
      RunReport read;
      for (int r = 0; r < repeat; ++r) {
        KeepFastest(read, TimeChild({SelfPath(), "--read-child", web, result}, result, cold));
        KeepFastest(check, TimeChild({SelfPath(), "--check-child", web, result}, result, cold));
      }
      if (cold && !read.process.ok) {
        std::printf(
            "  site check from the disk: not measured (the page cache cannot be emptied)\n");
        break;
      }
      double checkRatio =
          read.process.seconds > 0 ? check.process.seconds / read.process.seconds : 0;
      std::printf("%-34s %9.3f %11.3f %7.2f  <=%.1f %-8s %9.1f\n",
                  cold ? "site check, pages from the disk" : "site check, pages in the cache",
                  check.process.seconds, read.process.seconds, checkRatio, kCheckRatioTarget,
                  Verdict(checkRatio <= kCheckRatioTarget).c_str(),
                  check.Value("peak_kb") / 1024.0);
      if (cold) continue;
      std::printf(
          "  check (reference: reading the same files once): %.0f pages and style sheets "
          "(%.1f MB), %.0f findings of %.0f kinds (7 planted), %.0f errors; %u processors\n",
          check.Value("pages"), read.Value("bytes") / 1048576.0, check.Value("findings"),
          check.Value("kinds"), check.Value("errors"), std::thread::hardware_concurrency());
      if (!check.process.ok || !read.process.ok || check.Value("kinds") != 7 ||
          check.Value("errors") != 0 || check.Value("pages") != read.Value("files")) {
        std::printf("  check: NOT as expected (every kind found, no errors, every page read)\n");
        countsOk = false;
      }
    }
  }

  if (options.syscalls) {
    // Untimed, into folders of their own: a first run and one plain copy under strace.
    const std::string counted = work + "/syscalls";
    fs::create_directories(counted, ec);
    const double ours =
        CountSystemCalls({ConvertProgram(), "--convert-child", web, counted + "/web-FTP", result},
                         counted + "/ours.txt");
    const double copy =
        CountSystemCalls({"cp", "-a", stagingAfter, counted + "/ref"}, counted + "/cp.txt");
    const double files = static_cast<double>(after.keptFiles);
    if (ours < 0 || copy < 0) {
      std::printf("system calls: not counted (strace -c -f did not run)\n");
    } else {
      std::printf(
          "system calls per file, first run: %.1f (%.1f look-ups, %.1f failed); two cp -a: %.1f "
          "(%.1f look-ups)\n",
          ours / files, Calls(counted + "/ours.txt", "newfstatat") / files,
          Errors(counted + "/ours.txt", "newfstatat") / files, 2 * copy / files,
          2 * Calls(counted + "/cp.txt", "newfstatat") / files);
    }
  }

  double peakMb =
      std::max({first.Value("peak_kb"), second.Value("peak_kb"), third.Value("peak_kb")}) / 1024.0;
  std::printf("\npeak memory of a run: %.1f MB (target < %.0f MB for 100,000 files) %s\n", peakMb,
              kMemoryTargetMb, Verdict(peakMb < kMemoryTargetMb).c_str());
  std::printf("time inside the runs:\n");
  PrintBreakdown("(a)", first);
  PrintBreakdown("(b)", second);
  PrintBreakdown("(c)", third);
  std::printf("change logs (destination and uploads log together):\n");
  PrintLogLine("(a)", first, firstLog);
  PrintLogLine("(b)", second, secondLog);
  PrintLogLine("(c)", third, thirdLog);
  std::printf("edited %zu files, deleted %zu; run results %s\n", edited.size(), deleted.size(),
              countsOk ? "as expected" : "NOT as expected (see above)");
  cleanUp();
  return countsOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--convert-child") == 0) {
    return ConvertChild(argv[2], argv[3], argv[4]);
  }
  if (argc == 4 && std::strcmp(argv[1], "--tally-child") == 0) {
    return TallyChild(argv[2], argv[3]);
  }
  if (argc == 4 && std::strcmp(argv[1], "--check-child") == 0) return CheckChild(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "--read-child") == 0) return ReadChild(argv[2], argv[3]);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // rows appear as they are measured
  BenchOptions options;
  if (!ParseArgs(argc, argv, options)) {
    Usage();
    return 2;
  }
  return RunBenchmark(options);
}
