// Runs of tarnwick-convert killed without warning (SIGKILL) at many moments, each followed by
// a complete run: no change may be lost, the FTP web must follow the source, and no profile
// file may be left half written. TARNWICK_KILL_ROUNDS and TARNWICK_KILL_FILES make it longer.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "engine/conversion_run.h"
#include "engine/source_memory.h"
#include "rules/file_compare.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;
using testing::Exists;
using testing::Join;
using testing::ReadFile;
using testing::StrictProfile;
using testing::TempDir;

int EnvNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

struct Outcome {
  bool killed = false;  // the kill found the run still going
  int status = -1;      // exit status of a run that ended by itself
  double seconds = 0;
};

// Starts the tool; with a delay, kills it that long after the start.
Outcome RunTool(const std::vector<std::string>& args, std::optional<Clock::duration> killAfter) {
  const char* tool = std::getenv("TARNWICK_CONVERT");
  Outcome outcome;
  if (tool == nullptr) return outcome;
  Clock::time_point start = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(tool, argv.data());
    _exit(127);
  }
  if (killAfter) {
    std::this_thread::sleep_until(start + *killAfter);
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
    outcome.killed = true;
  } else if (WIFEXITED(status)) {
    outcome.status = WEXITSTATUS(status);
  }
  return outcome;
}

// A web of pages of mixed sizes in nested folders, a server-extension folder among them. Edits
// touch the other pages only, in turn: new content, the same bytes saved again, a new page
// (now and then in a new folder) and a removed one.
class GeneratedWeb {
 public:
  GeneratedWeb(std::string root, int pageCount) : root_(std::move(root)) {
    for (int i = 0; i < pageCount; ++i) {
      const std::string folder =
          i % 30 == 0 ? "_vti_cnf/" : "dir" + std::to_string(i % 12) + (i % 4 == 0 ? "/sub/" : "/");
      Write(folder + "page" + std::to_string(i) + ".htm");
      if (i % 30 != 0) pages_.push_back(folder + "page" + std::to_string(i) + ".htm");
    }
  }

  // Makes count edits; a page is either changed (or new) or removed, never both.
  void Edit(int count, std::set<std::string>& changed, std::set<std::string>& removed) {
    for (int i = 0; i < count; ++i, ++edits_) {
      std::string page = pages_[edits_ * 7919 % pages_.size()];
      if (edits_ % 4 == 0) {
        Write(page);
      } else if (edits_ % 4 == 1) {
        testing::SetWriteTime(Join(root_, page), clock_ += 3);
      } else if (edits_ % 4 == 2) {
        const std::string name = "added" + std::to_string(edits_) + ".htm";
        page = edits_ % 3 == 0 ? "new" + std::to_string(edits_) + "/" + name : name;
        pages_.push_back(page);
        Write(page);
      } else {
        std::erase(pages_, page);
        std::filesystem::remove(Join(root_, page));
        changed.erase(page);
        removed.insert(page);
        continue;
      }
      changed.insert(page);
    }
  }

 private:
  // Each write gets a time of its own, a few seconds after the last.
  void Write(const std::string& relative) {
    const std::string mark = "<!-- " + relative + " " + std::to_string(++writes_) + " -->";
    testing::WriteFile(Join(root_, relative), mark + std::string(writes_ * 7919 % 4000, 'x'));
    testing::SetWriteTime(Join(root_, relative), clock_ += 2 + writes_ % 5);
  }

  std::string root_;
  std::vector<std::string> pages_;
  std::size_t edits_ = 0;
  std::int64_t clock_ = 1600000000;
  int writes_ = 0;
};

TEST(InterruptedRunTest, KilledRunsLoseNoChangeAndTheNextRunCompletesTheFtpWeb) {
  ASSERT_NE(std::getenv("TARNWICK_CONVERT"), nullptr) << "TARNWICK_CONVERT names the tool";
  const int rounds = EnvNumber("TARNWICK_KILL_ROUNDS", 24);
  const int files = EnvNumber("TARNWICK_KILL_FILES", 1500);
  TempDir dir;
  const std::string src = dir / "Web", dst = dir / "Web-FTP", up = dir / "Web-FTP-Uploads";
  const std::string settings = dir / "settings";
  testing::MakeFolder(settings);
  const std::vector<std::string> args = {"--settings-dir", settings, "--quiet", src, dst};
  GeneratedWeb web(src, files);

  ASSERT_EQ(RunTool(args, std::nullopt).status, 0);
  // Later runs copy every file again, but over existing ones, which is much faster than the
  // first run that creates them; one such run sets the scale of the kill moments.
  std::set<std::string> changed, removed;
  web.Edit(12, changed, removed);
  Outcome calibration = RunTool(args, std::nullopt);
  ASSERT_EQ(calibration.status, 0);
  double runSeconds = calibration.seconds;
  std::filesystem::remove_all(up);  // uploaded
  changed.clear();
  removed.clear();
  std::map<std::string, std::string> ftpWebAtLastRun = testing::ExpectedFtpWeb(src);

  int killedWhileRunning = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    web.Edit(12, changed, removed);

    // Moments spread from the start of the process to just past the usual end of a run; every
    // third round kills the following run too, before its complete rerun.
    const double fraction = (round + 0.5) / rounds * 1.1;
    auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(runSeconds * fraction));
    Outcome cut = RunTool(args, delay);
    if (cut.killed) ++killedWhileRunning;
    if (round % 3 == 2) {
      Outcome again = RunTool(args, delay / 2);
      if (again.killed) ++killedWhileRunning;
    }
    for (const std::string& log :
         {Join(dst, "changes.ini"), Join(up, "changes.ini"), Join(settings, "settings.db")}) {
      EXPECT_EQ(testing::ReadStrictProfile(log).problem, "") << log << " after a kill";
    }

    Outcome complete = RunTool(args, std::nullopt);
    ASSERT_EQ(complete.status, 0);
    runSeconds = (runSeconds * 3 + complete.seconds) / 4;

    std::map<std::string, std::string> ftpWeb = testing::TreeContents(dst);
    ftpWeb.erase("changes.ini");
    std::map<std::string, std::string> expected = testing::ExpectedFtpWeb(src);
    EXPECT_TRUE(ftpWeb == expected) << "the FTP web does not equal the source";

    StrictProfile uploadsLog = testing::ReadStrictProfile(Join(up, "changes.ini"));
    EXPECT_EQ(uploadsLog.problem, "");
    for (const std::string& file : changed) {
      EXPECT_TRUE(!uploadsLog.Value("changed", LowerCase(LogKey(Join(src, file)))).empty()) << file;
      ASSERT_TRUE(Exists(Join(up, file))) << file << " is missing from the uploads folder";
      EXPECT_EQ(ReadFile(Join(up, file)), expected[file]) << file;
    }
    for (const std::string& file : removed) {
      if (ftpWebAtLastRun.count(file) == 0) continue;  // added and removed between runs
      EXPECT_TRUE(!uploadsLog.Value("deleted", LowerCase(LogKey(Join(dst, file)))).empty()) << file;
    }
    // Every key of the log names a change: nothing is logged that did not happen.
    for (const auto& [key, value] : uploadsLog.sections["changed"]) {
      std::string relative = key.substr(LowerCase(src).size() + 1);
      EXPECT_TRUE(changed.count(relative) != 0 || value == "Date Changed")
          << key << "=" << value << " was logged without a change";
    }
    for (const auto& [key, value] : uploadsLog.sections["deleted"]) {
      std::string relative = key.substr(LowerCase(dst).size() + 1);
      EXPECT_TRUE(removed.count(relative) != 0) << key << " was logged as deleted";
    }
    EXPECT_TRUE(testing::LeftoverTempFiles(dst).empty());
    EXPECT_TRUE(testing::LeftoverTempFiles(up).empty());

    std::filesystem::remove_all(up);
    changed.clear();
    removed.clear();
    ftpWebAtLastRun = expected;
  }
  // Most kills must have struck a running conversion, or the test proves little.
  EXPECT_GE(killedWhileRunning, rounds * 3 / 4) << "runs took " << runSeconds << " s";
}

// The settings file rewritten over and over by a child process that is killed at random
// moments: what is left is always one whole version of the file.
TEST(InterruptedRewriteTest, KilledRewritesNeverLeaveATruncatedSettingsFile) {
  TempDir dir;
  const std::string file = dir / "settings.db";
  const int webs = 3000;  // a large file, so a rewrite takes long enough to be hit
  {
    SourceMemory memory(file);
    IniEditor editor;
    editor.IniFile = file;
    editor.IniSection = "DIDOvivavovo";
    editor.DeferWrites(true);
    for (int i = 0; i < webs; ++i)
      editor.WriteIniValue("/webs/site" + std::to_string(i), "/ftp/site" + std::to_string(i));
    ASSERT_TRUE(editor.Flush());
    // Not empty from the start: a kill before the child's first save still finds a path.
    Options first;
    first.FTPPath = "/usr/bin/ftp";
    ASSERT_TRUE(SaveOptions(file, first));
  }
  std::mt19937 random(7);
  const int rounds = EnvNumber("TARNWICK_KILL_ROUNDS", 24);
  for (int round = 0; round < rounds; ++round) {
    pid_t child = fork();
    if (child == 0) {
      Options options;
      for (int n = 0;; ++n) {
        options.CompareDate = static_cast<std::int16_t>(n % 3);
        options.FTPPath = "/usr/bin/ftp" + std::to_string(n);
        SaveOptions(file, options);
        SourceMemory(file).RememberConversion("/webs/site" + std::to_string(n % webs),
                                              "/ftp/site" + std::to_string(n % webs));
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 40000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    StrictProfile profile = testing::ReadStrictProfile(file);
    ASSERT_EQ(profile.problem, "") << "round " << round;
    EXPECT_EQ(profile.sections["didovivavovo"].size(), static_cast<std::size_t>(webs));
    EXPECT_EQ(profile.sections["main"].size(), std::size(kOptionTable));
    EXPECT_FALSE(LoadOptions(file).options.FTPPath.empty());
  }
}

}  // namespace
}  // namespace tarnwick
