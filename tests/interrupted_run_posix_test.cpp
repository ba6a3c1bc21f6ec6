// Runs of tarnwick-convert killed without warning (SIGKILL) at many moments, each followed by
// a complete run: no change may be lost, the FTP web must follow the source, and no profile
// file may be left half written. TARNWICK_KILL_ROUNDS and TARNWICK_KILL_FILES make it longer.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#include "engine/conversion_run.h"
#include "engine/source_memory.h"
#include "rules/file_compare.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "support/web_check.h"

namespace tarnwick {
namespace {

using testing::Exists;
using testing::Join;
using testing::ReadFile;
using testing::StrictProfile;
using testing::TempDir;

int EnvNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// How far a run has gone, read from the FTP web it copies into: a copied file has another
// inode or at least another change time than it had before the run.
class CopyProgress {
 public:
  explicit CopyProgress(const std::string& ftpWeb) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ftpWeb)) {
      if (!entry.is_regular_file() || entry.path().filename() == "changes.ini") continue;
      struct stat info {};
      if (lstat(entry.path().c_str(), &info) == 0) files_.push_back({entry.path(), Stamp(info)});
    }
  }

  std::size_t Files() const { return files_.size(); }

  // Files copied (or swept) since the snapshot.
  std::size_t Done() const {
    std::size_t done = 0;
    for (const auto& [path, before] : files_) {
      struct stat info {};
      if (lstat(path.c_str(), &info) != 0 || Stamp(info) != before) ++done;
    }
    return done;
  }

 private:
  using FileStamp = std::tuple<ino_t, time_t, long>;
  static FileStamp Stamp(const struct stat& info) {
    return {info.st_ino, info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
  }

  std::vector<std::pair<std::filesystem::path, FileStamp>> files_;
};

struct Outcome {
  bool killed = false;  // the kill found the run still going
  int status = -1;      // exit status of a run that ended by itself
};

// Starts the tool; with a count, kills it once that many files of `progress` are done.
Outcome RunTool(const std::vector<std::string>& args, const CopyProgress* progress = nullptr,
                std::size_t killAt = 0) {
  const char* tool = std::getenv("TARNWICK_CONVERT");
  Outcome outcome;
  if (tool == nullptr) return outcome;
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
  int status = 0;
  pid_t ended = 0;
  if (progress != nullptr) {
    while ((ended = waitpid(child, &status, WNOHANG)) == 0) {
      if (progress->Done() >= killAt) {
        kill(child, SIGKILL);
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  if (ended == 0) waitpid(child, &status, 0);
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

  ASSERT_EQ(RunTool(args).status, 0);
  std::filesystem::remove_all(up);  // uploaded
  std::map<std::string, std::string> ftpWebAtLastRun = testing::ExpectedFtpWeb(src);
  std::set<std::string> changed, removed;

  int killedWhileRunning = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    web.Edit(12, changed, removed);

    // Later runs copy every file again, over the one there. The kills come at counts of
    // copied files spread from none to all of them, and past that to the sweep and the logs
    // at the end; every third round kills the following run too, halfway to that count,
    // before its complete rerun.
    const CopyProgress progress(dst);
    const auto killAt =
        std::min(progress.Files(),
                 static_cast<std::size_t>(progress.Files() * (round + 0.5) / rounds * 1.1));
    Outcome cut = RunTool(args, &progress, killAt);
    if (cut.killed) ++killedWhileRunning;
    if (round % 3 == 2) {
      const CopyProgress again(dst);
      if (RunTool(args, &again, killAt / 2).killed) ++killedWhileRunning;
    }
    for (const std::string& log :
         {Join(dst, "changes.ini"), Join(up, "changes.ini"), Join(settings, "settings.db")}) {
      EXPECT_EQ(testing::ReadStrictProfile(log).problem, "") << log << " after a kill";
    }

    ASSERT_EQ(RunTool(args).status, 0);

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
  EXPECT_GE(killedWhileRunning, rounds * 3 / 4);
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
    int saves[2];
    ASSERT_EQ(pipe(saves), 0);
    pid_t child = fork();
    if (child == 0) {
      close(saves[0]);
      Options options;
      for (int n = 0;; ++n) {
        options.CompareDate = static_cast<std::int16_t>(n % 3);
        options.FTPPath = "/usr/bin/ftp" + std::to_string(n);
        SaveOptions(file, options);
        // Told once: the child is in its loop of rewrites.
        if (n == 0 && write(saves[1], "s", 1) != 1) _exit(1);
        SourceMemory(file).RememberConversion("/webs/site" + std::to_string(n % webs),
                                              "/ftp/site" + std::to_string(n % webs));
      }
    }
    close(saves[1]);
    char told = 0;
    const bool rewriting = read(saves[0], &told, 1) == 1;
    close(saves[0]);
    // Somewhere in the rewrites that follow, however fast they go.
    if (rewriting) std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(rewriting) << "round " << round << ": the child did not save";
    StrictProfile profile = testing::ReadStrictProfile(file);
    ASSERT_EQ(profile.problem, "") << "round " << round;
    EXPECT_EQ(profile.sections["didovivavovo"].size(), static_cast<std::size_t>(webs));
    EXPECT_EQ(profile.sections["main"].size(), std::size(kOptionTable));
    EXPECT_FALSE(LoadOptions(file).options.FTPPath.empty());
  }
}

}  // namespace
}  // namespace tarnwick
