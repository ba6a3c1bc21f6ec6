// The command line as a user meets it, on small webs in temporary folders: in process, and as
// the built program where a process of its own is what is tested.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "engine/conversion_run.h"
#include "engine/source_memory.h"
#include "platform/file_system.h"
#include "support/privileges.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tarnwick {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

#ifndef _WIN32
// One word for sh.
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The built program, for the cases that need a process of their own.
std::string Tool() {
  const char* tool = std::getenv("TARNWICK_CONVERT");
  return tool == nullptr ? std::string() : tool;
}
#endif

// The summary of a first run of the small web below.
const std::string kSummary =
    "Files in the work list: 5\nFiles copied:           5\nFiles new or changed:   5\n"
    "Files deleted:          0\nFailures:               0\n";

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::MakeFolder(Settings());
    // A small FrontPage web: pages, a picture, server-extension folders, and files that a
    // skip list could name.
    WriteFile(Web("index.htm"), "<html>home</html>");
    WriteFile(Web("about.htm"), "<html>about</html>");
    WriteFile(Web("images/logo.gif"), "GIF89a");
    WriteFile(Web("images/_vti_cnf/logo.gif"), "vti");
    WriteFile(Web("_vti_pvt/service.cnf"), "vti");
    WriteFile(Web("_private/form.txt"), "private");
    WriteFile(Web("docs/skip.me"), "skip");
    WriteFile(Web("Thumbs.db"), "thumbs");
  }

  std::string Web(const std::string& relative = "") const {
    return relative.empty() ? root_ / "web" : root_ / ("web/" + relative);
  }
  std::string Settings() const { return root_ / "settings"; }
  std::string Root(const std::string& relative) const { return root_ / relative; }

  // Runs the command in this process, from the root folder, with both outputs captured.
  Outcome Run(const std::vector<std::string>& args) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(PathFromText(root_.path()));
    std::ostringstream out, err;
    Outcome outcome;
    outcome.status = RunCli(args, out, err, false, false);
    std::filesystem::current_path(before);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
  }

  Outcome Convert(std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings-dir", Settings()});
    return Run(args);
  }

  SourceMemory Memory() const { return SourceMemory(testing::Join(Settings(), "settings.db")); }

#ifndef _WIN32
  // A shell command that runs the built program on `args`, its standard error and exit status
  // kept in io_ under the name `n`.
  std::string Command(const std::string& args, const std::string& n) {
    return Quote(Tool()) + " --settings-dir " + Quote(Settings()) + " " + args + " 2>" +
           Quote(io_ / ("err" + n)) + "; echo $? >" + Quote(io_ / ("status" + n));
  }
#endif

  TempDir root_;
  TempDir io_;
};

TEST_F(CliTest, ConvertsPrintsTheSummaryAndRemembersTheRun) {
  Outcome first = Convert({Web(), Root("site")});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");  // not a terminal: no progress
  EXPECT_EQ(first.out, kSummary);

  EXPECT_EQ(Memory().ProposedDestination(Web()), Root("site"));

  // Without a destination the remembered one is used; nothing has changed since.
  Outcome second = Convert({Web()});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("Files new or changed:   0\n"), std::string::npos) << second.out;
}

TEST_F(CliTest, TakesOptionsAndSkipListFromTheSettingsFolder) {
  WriteFile(testing::Join(Settings(), "settings.db"),
            "[Main]\r\nCreateUploadsDir=0\r\nCompareDate=maybe\r\n");
  WriteFile(testing::Join(Settings(), "extras.db"), "skip.me\r\nthumbs.db\r\n");
  // The web's own change log cannot take the place of the FTP web's.
  WriteFile(Web("changes.ini"), "[Notes]\r\n");
  Outcome outcome = Convert({"--quiet", Web(), Root("site")});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_FALSE(Exists(Root("site/docs/skip.me")));
  EXPECT_FALSE(Exists(Root("site/Thumbs.db")));
  EXPECT_FALSE(Exists(Root("site-Uploads")));
  // A damaged value and a file left out change the run, so they show even when quiet.
  EXPECT_EQ(outcome.err, "tarnwick-convert: warning: " + testing::Join(Settings(), "settings.db") +
                             ": the value of CompareDate is not 0, 1 or 2; using the default\n"
                             "tarnwick-convert: warning: The web's own " +
                             Web("changes.ini") +
                             " is not copied: the FTP web and its uploads folder keep their "
                             "change logs under that name.\n");
}

TEST_F(CliTest, RefusedRunsChangeNothing) {
  struct Row {
    std::vector<std::string> args;
    std::string said;       // in the engine's message, printed on one line
    std::string untouched;  // what the run would have made
  };
  const Row rows[] = {
      {{Web(), Root("web/./")}, kSameFoldersMessage, Root("web-Uploads")},
      {{Root("nowhere"), Root("site")}, Root("nowhere"), Root("site")},
  };
  for (const Row& row : rows) {
    Outcome refused = Convert(row.args);
    EXPECT_EQ(refused.status, 2) << row.said;
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find(row.said), std::string::npos) << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    EXPECT_FALSE(Exists(row.untouched));
  }
  EXPECT_FALSE(Exists(testing::Join(Settings(), "settings.db")));  // nothing remembered

  // Settings that are there but cannot be read are not replaced by the defaults.
  testing::MakeFolder(testing::Join(Settings(), "settings.db"));
  Outcome unreadable = Convert({Web(), Root("site")});
  EXPECT_EQ(unreadable.status, 2);
  EXPECT_NE(unreadable.err.find(testing::Join(Settings(), "settings.db")), std::string::npos)
      << unreadable.err;
  EXPECT_FALSE(Exists(Root("site")));
}

#ifndef _WIN32
// Defaults in place of settings.db would delete what the user keeps in the FTP web; an empty
// list in place of extras.db would upload what the user keeps off the host.
TEST_F(CliTest, AnOptionFileThatIsThereButCannotBeReadRefusesTheRun) {
  WriteFile(Web("secret.htm"), "secret");
  WriteFile(Root("site/mine.htm"), "kept on purpose");
  const std::string kSettings[] = {"settings.db", "extras.db"};
  for (const std::string& name : kSettings) {
    const std::string file = testing::Join(Settings(), name);
    const auto entry = PathFromText(file);
    const std::function<void()> kinds[] = {
        [&] { std::filesystem::create_symlink("gone.db", entry); },
        [&] { std::filesystem::create_symlink(name, entry); },  // a loop
        [&] { testing::MakeFolder(file); },
        [&] {
          WriteFile(file, "[Main]\r\nKillDeleted=0\r\n");
          std::filesystem::permissions(entry, std::filesystem::perms::none);
        },
    };
    for (std::size_t kind = 0; kind < std::size(kinds); ++kind) {
      if (name == "extras.db") WriteFile(testing::Join(Settings(), "settings.db"), "[Main]\r\n");
      kinds[kind]();
      if (kind == 3 && ::access(file.c_str(), R_OK) == 0) {
        std::filesystem::remove(entry);  // the administrator reads it all the same
        continue;
      }
      Outcome refused = Convert({Web(), Root("site")});
      EXPECT_EQ(refused.status, 2) << name << " kind " << kind;
      EXPECT_EQ(
          refused.err.rfind("tarnwick-convert: The " +
                                std::string(name == "extras.db" ? "skip list" : "settings file") +
                                " \"" + file + "\" exists but cannot be read (",
                            0),
          0u)
          << refused.err;
      EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
      EXPECT_EQ(ReadFile(Root("site/mine.htm")), "kept on purpose") << name << " kind " << kind;
      EXPECT_FALSE(Exists(Root("site/secret.htm"))) << name << " kind " << kind;
      std::filesystem::remove_all(entry);
    }
  }
  // Missing, both give the defaults and an empty skip list.
  std::filesystem::remove(PathFromText(testing::Join(Settings(), "settings.db")));
  EXPECT_EQ(Convert({Web(), Root("site")}).status, 0);
  EXPECT_TRUE(Exists(Root("site/secret.htm")));
  EXPECT_FALSE(Exists(Root("site/mine.htm")));
}

// The uploads folder's hold is the engine's test; here the holder is another process, killed
// while it holds the FTP web: nothing is left behind that blocks the next run.
TEST_F(CliTest, ARunOnAnFtpWebThatAnotherRunHoldsIsRefusedAtOnce) {
  ASSERT_EQ(Convert({Web(), Root("site")}).status, 0);
  WriteFile(Web("new.htm"), "new");
  const std::string log = ReadFile(Root("site-Uploads/changes.ini"));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = fork();
  if (holder == 0) {
    FolderLock lock;
    SystemFileSystem().LockFolder(Root("site"), lock, nullptr);
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  Outcome busy = Convert({Web(), Root("site")});
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_EQ(busy.status, 2);
  EXPECT_NE(busy.err.find("Another conversion is running on the FTP web"), std::string::npos)
      << busy.err;
  EXPECT_FALSE(Exists(Root("site/new.htm")));
  EXPECT_EQ(ReadFile(Root("site-Uploads/changes.ini")), log);
  Outcome after = Convert({Web(), Root("site")});
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(ReadFile(Root("site/new.htm")), "new");
}

// Servers often start programs with a soft limit of 128 descriptors; a web of many folders must
// still convert whole, with the limit raised, and within it where it cannot be raised.
TEST_F(CliTest, AWebOfManyFoldersConvertsUnderALowDescriptorLimit) {
  if (std::system("sh -c 'ulimit -S -n 128 && test \"$(ulimit -S -n)\" = 128' 2>/dev/null") != 0)
    GTEST_SKIP() << "the shell cannot lower its descriptor limit here";
  // 300 folders: 30 side by side, each the top of a chain of 10.
  for (int side = 0; side < 30; ++side) {
    std::string folder = "many/s" + std::to_string(side);
    for (int depth = 0; depth < 10; ++depth) {
      WriteFile(Web(folder + "/p.htm"), folder);
      folder += "/d" + std::to_string(depth);
    }
  }
  // The soft limit alone, then the hard one too, so that nothing can be raised.
  const std::string script =
      "ulimit -S -n 128 && " + Command(Quote(Web()) + " " + Quote(Root("site1")), "1") +
      "; ulimit -n 128 && " + Command(Quote(Web()) + " " + Quote(Root("site2")), "2");
  ASSERT_EQ(std::system(("sh -c " + Quote(script) + " >/dev/null").c_str()), 0);
  for (const std::string n : {"1", "2"}) {
    EXPECT_EQ(ReadFile(io_ / ("status" + n)), "0\n") << ReadFile(io_ / ("err" + n)).substr(0, 2000);
    EXPECT_EQ(ReadFile(io_ / ("err" + n)), "");
    const std::string site = Root("site" + n);
    EXPECT_EQ(ReadFile(site + "/many/s29/d0/d1/d2/d3/d4/d5/d6/d7/d8/p.htm"),
              "many/s29/d0/d1/d2/d3/d4/d5/d6/d7/d8");
    EXPECT_EQ(ReadFile(site + "-Uploads/many/s0/p.htm"), "many/s0");
  }
}

TEST_F(CliTest, AWebSeenThroughABindMountIsStillTheWeb) {
  if (const std::string problem = testing::BindMountProblem(); !problem.empty())
    GTEST_SKIP() << problem;
  WriteFile(Root("site/web/index.htm"), "home");
  WriteFile(Root("site/web/_vti_pvt/service.cnf"), "cnf");
  testing::MakeFolder(Root("alias"));
  // The mount lives in a mount namespace of its own and ends with the shell.
  std::string script = "mount --bind " + Quote(Root("site")) + " " + Quote(Root("alias")) +
                       " || exit 99; " +
                       Command(Quote(Root("alias/web")) + " " + Quote(Root("site")), "1") + "; " +
                       Command(Quote(Root("site/web")) + " " + Quote(Root("alias/web/ftp")), "2");
  int raw = std::system(
      ("unshare -m --propagation private sh -c " + Quote(script) + " >/dev/null 2>&1").c_str());
  if (WIFEXITED(raw) && WEXITSTATUS(raw) == 99)
    GTEST_SKIP() << "mount --bind is not permitted here";
  ASSERT_TRUE(Exists(io_ / "status2")) << "unshare could not run the script";
  // The web inside the destination, seen through the second mount.
  EXPECT_EQ(ReadFile(io_ / "status1"), "2\n") << ReadFile(io_ / "err1");
  EXPECT_NE(ReadFile(io_ / "err1").find("lies inside the destination"), std::string::npos);
  // The destination inside the web, seen through the second mount.
  EXPECT_EQ(ReadFile(io_ / "status2"), "2\n") << ReadFile(io_ / "err2");
  EXPECT_NE(ReadFile(io_ / "err2").find("lies inside the FrontPage web"), std::string::npos);
  EXPECT_EQ(ReadFile(Root("site/web/_vti_pvt/service.cnf")), "cnf");
  EXPECT_FALSE(Exists(Root("site/web/ftp")));
}
#endif

TEST_F(CliTest, FailuresAreListedOneLineEachAndGiveStatusOne) {
  // A page in the FTP web made read-only by its user is not replaced; --quiet still names it,
  // on one line whatever the name holds.
#ifdef _WIN32
  const std::string name = "about.htm", shown = name;
#else
  const std::string name = "two\nlines.htm", shown = "two%0Alines.htm";
#endif
  // A second one for the same reason is counted on that line, not listed again.
  for (const std::string& page : {name, std::string("zz.htm")}) {
    WriteFile(Web(page), "new");
    WriteFile(Root("site/" + page), "old");
    std::filesystem::permissions(PathFromText(Root("site/" + page)),
                                 std::filesystem::perms::owner_read);
  }
  Outcome quiet = Convert({"--quiet", Web(), Root("site")});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "tarnwick-convert: cannot copy " + Root("site/" + shown) +
                           ": the target is read-only (and 1 more for the same reason)\n");
  // The run finished, so it is remembered like any other.
  EXPECT_EQ(Memory().ProposedDestination(Web()), Root("site"));
}

#ifndef _WIN32
// The built program on a terminal, and what its exit status tells a script.
TEST_F(CliTest, ProgressIsOneLineRewrittenOnATerminal) {
  ASSERT_FALSE(Tool().empty()) << "TARNWICK_CONVERT names the tool under test";
  EXPECT_EQ(std::system((Quote(Tool()) + " --bogus 2>/dev/null").c_str()), 2 << 8);
  // util-linux "script" gives the tool a terminal; without it there is nothing to test here.
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script";
  std::string command = Quote(Tool()) + " --settings-dir " + Quote(Settings()) + " " +
                        Quote(Web()) + " " + Quote(Root("site"));
  std::string shell = "cd " + Quote(root_.path()) + " && script -qec " + Quote(command) +
                      " /dev/null </dev/null >" + Quote(io_ / "tty");
  ASSERT_EQ(std::system(shell.c_str()), 0);
  std::string tty = ReadFile(io_ / "tty");
  std::size_t summary = tty.find("Files in the work list:");
  ASSERT_NE(summary, std::string::npos) << tty;
  std::string progress = tty.substr(0, summary);
  EXPECT_EQ(progress.rfind("\r", 0), 0u) << progress;
  EXPECT_EQ(progress.find('\n'), std::string::npos) << progress;
  EXPECT_NE(progress.find("Analysing"), std::string::npos) << progress;
  // The line is blanked before the summary starts.
  EXPECT_EQ(progress.back(), '\r');
}
#endif

TEST_F(CliTest, WrongArgumentsGiveTheUsageAndStatusTwo) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"--settings-dir"},
      {"--bogus", Web()},
      {Web(), Root("a"), Root("b")},
      {"--quiet=yes", Web()},
      {"--settings-dir", Root("no-such-folder"), Web()},
      {"--check", "--report", Web()},
      {"--check", Web(), Root("site")},
      {"--summary", Web()},
      {"--report", "--summary", Web()},
  };
  for (const auto& args : wrong) {
    Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("tarnwick-convert"), std::string::npos) << outcome.err;
  }
  EXPECT_NE(Run({}).err.find("usage: tarnwick-convert [--settings-dir DIR] [--quiet] [--compare | "
                             "--report | --check [--summary]] SOURCE [DESTINATION]"),
            std::string::npos);

  Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: tarnwick-convert", 0), 0u) << help.out;
  Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tarnwick-convert 1.0.0\n");

  // "--" ends the options, "--settings-dir=DIR" is the same as two words, -q is --quiet, and a
  // relative source is taken from the current folder and remembered as the window would have
  // it: the whole path, no separator at the end.
  WriteFile(Root("-web/index.htm"), "x");
  Outcome dashed = Run({"--settings-dir=" + Settings(), "-q", "--", "-web/"});
  EXPECT_EQ(dashed.status, 0) << dashed.err;
  EXPECT_EQ(dashed.out + dashed.err, "");
  EXPECT_TRUE(Exists(Root("-web-FTP/index.htm")));
  EXPECT_EQ(Memory().LoadRecentWebs(), std::vector<std::string>{Root("-web")});
  EXPECT_EQ(Memory().ProposedDestination(Root("-web")), Root("-web-FTP"));
}

TEST_F(CliTest, CompareAndReportPrintTheReportLines) {
  // Compare alone converts nothing; the proposed destination does not exist yet. Not on a
  // terminal, each line is the report's own: its fields joined by one tab.
  Outcome compare = Convert({"--compare", Web()});
  EXPECT_EQ(compare.status, 0) << compare.err;
  EXPECT_FALSE(Exists(Web() + "-FTP"));
  EXPECT_EQ(compare.out.rfind("Source :\t" + Web() + "\nDestination:\t" + Web() + "-FTP\n", 0), 0u)
      << compare.out;
  EXPECT_EQ(compare.out.find(" \t"), std::string::npos) << compare.out;

  // The report follows the summary; its lines are the report's own tests'.
  Outcome report = Convert({"--report", Web()});
  EXPECT_EQ(report.status, 0) << report.err;
  EXPECT_EQ(report.out.rfind(kSummary + "Source :\t", 0), 0u) << report.out;
}

#ifndef _WIN32
// What awk -F'\t', cut -f and grep -x see: a pipe and a file get the report's lines as they
// are; only a terminal gets the fields padded so that the columns line up.
TEST_F(CliTest, ReportLinesArePaddedOnlyOnATerminal) {
  ASSERT_FALSE(Tool().empty()) << "TARNWICK_CONVERT names the tool under test";
  ASSERT_EQ(Convert({Web(), Root("site")}).status, 0);
  const std::string compare =
      Quote(Tool()) + " --settings-dir " + Quote(Settings()) + " --compare " + Quote(Web());
  ASSERT_EQ(std::system((compare + " | cat >" + Quote(io_ / "pipe")).c_str()), 0);
  ASSERT_EQ(std::system((compare + " >" + Quote(io_ / "file")).c_str()), 0);
  const std::string piped = ReadFile(io_ / "pipe");
  EXPECT_EQ(piped.rfind("Source :\t" + Web() + "\nDestination:\t" + Root("site") + "\n", 0), 0u)
      << piped;
  EXPECT_NE(piped.find("\n*** Deleted ***\nFiles\t0\n"), std::string::npos) << piped;
  EXPECT_EQ(piped.find(" \t"), std::string::npos) << piped;
  EXPECT_EQ(ReadFile(io_ / "file"), piped);

  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script";
  const std::string shell =
      "script -qec " + Quote(compare) + " /dev/null </dev/null >" + Quote(io_ / "tty");
  ASSERT_EQ(std::system(shell.c_str()), 0);
  std::string tty = ReadFile(io_ / "tty");
  for (std::size_t cr; (cr = tty.find("\r\n")) != std::string::npos;) tty.erase(cr, 1);
  EXPECT_EQ(tty.rfind("Source :" + std::string(8, ' ') + "\t" + Web() +
                          "\nDestination:" + std::string(4, ' ') + "\t" + Root("site") + "\n",
                      0),
            0u)
      << tty;
  EXPECT_NE(tty.find("\nFiles" + std::string(11, ' ') + "\t0\n"), std::string::npos) << tty;
}
#endif

TEST_F(CliTest, CheckPrintsOneLinePerFindingAndTellsByItsStatus) {
  Outcome clean = Convert({"--check", Web()});
  EXPECT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(clean.out, "");
  EXPECT_EQ(clean.err, "");

  WriteFile(Web("_borders/bg.gif"), "GIF89a");
  WriteFile(Web("news/today.htm"),
            "<body background=\"../_borders/bg.gif\">\n<img src=\"../Images/Logo.gif\">");
  const std::string findings =
      "news/today.htm\t1\tdropped\t../_borders/bg.gif\t_borders/bg.gif lies in the folder "
      "_borders, which the conversion leaves out: it will be missing on the host.\n"
      "news/today.htm\t2\tcase\t../Images/Logo.gif\tThe web has images/logo.gif: the names "
      "differ in case, which a host that minds case does not forgive.\n";
  Outcome found = Convert({"--check", Web()});
  EXPECT_EQ(found.status, 1) << found.err;
  EXPECT_EQ(found.out, findings);
  EXPECT_FALSE(Exists(Web() + "-FTP"));  // the check converts nothing

  // The option read from settings.db keeps the picture, so only the case finding is left.
  WriteFile(testing::Join(Settings(), "settings.db"), "[Main]\r\nKeepUsedFiles=1\r\n");
  Outcome kept = Convert({"--check", Web()});
  EXPECT_EQ(kept.status, 1) << kept.err;
  EXPECT_EQ(kept.out, findings.substr(findings.find("news/today.htm\t2")));

  Outcome missing = Convert({"--check", Root("nowhere")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find(Root("nowhere")), std::string::npos) << missing.err;

  // One line per target: kind, target, pages, references, first page; the status as before.
  WriteFile(Web("news/old.htm"), "<img src=\"../Images/Logo.gif\"><img src=\"/Images/Logo.gif\">");
  Outcome summary = Convert({"--check", "--summary", Web()});
  EXPECT_EQ(summary.status, 1) << summary.err;
  EXPECT_EQ(summary.out, "case\timages/logo.gif\t2\t3\tnews/old.htm\n");

  // --report prints the section after the report: its head with the targets, then the same
  // lines as --check. They do not fail the conversion, which keeps the picture the page uses.
  const Outcome again = Convert({"--check", Web()});
  Outcome report = Convert({"--report", Web(), Root("site")});
  EXPECT_EQ(report.status, 0) << report.err;
  const std::string section =
      "\n\n*** Site Check ***\n3 problems found that will break on a plain host.\ncase: 1 "
      "target\n     images/logo.gif: 3 references on 2 pages, first news/old.htm\n\n" +
      again.out;
  ASSERT_GT(report.out.size(), section.size());
  EXPECT_EQ(report.out.substr(report.out.size() - section.size()), section);
  EXPECT_TRUE(Exists(Root("site/_borders/bg.gif")));
}

}  // namespace
}  // namespace tarnwick
