#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

// Exit statuses of tarnwick-convert.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailures = 1;  // some copy, folder creation or deletion failed
inline constexpr int kExitRefused = 2;   // the run was refused, or the arguments are wrong
inline constexpr int kExitInterrupted = 130;
// Exit statuses of --check.
inline constexpr int kExitCheckClean = 0;
inline constexpr int kExitCheckFindings = 1;
inline constexpr int kExitCheckErrors = 2;

// What the command line asked for.
struct CliArguments {
  std::string settingsDir;  // empty: the program's folder
  bool quiet = false;
  bool help = false;
  bool version = false;
  bool compare = false;  // print the comparison report instead of converting
  bool report = false;   // convert, then print the comparison report
  bool check = false;    // print what will break on a plain host instead of converting
  bool summary = false;  // with check: one line per target instead of per finding
  std::string source;
  std::optional<std::string> destination;
};

// The arguments, or the reason they cannot be used.
struct ParsedArguments {
  CliArguments arguments;
  std::string error;  // empty when the arguments are usable
};

ParsedArguments ParseArguments(const std::vector<std::string>& args);

std::string UsageLine();
std::string HelpText();

// The whole command: parses, converts, reports. Returns the exit status. The report is laid
// out in columns only when `out` is a terminal; progress shows only when `err` is one.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool outIsTerminal, bool errIsTerminal);

}  // namespace tarnwick
