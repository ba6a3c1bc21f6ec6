#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/folder_check.h"

namespace tarnwick {

// One operation that did not succeed during a run.
struct RunFailure {
  std::string operation;  // "copy", "create folder", "delete", "write log"
  std::string path;
  std::string reason;
};

struct RunResult {
  Refusal refusal;                // set when the run did not start
  bool cancelled = false;         // stopped on request after the file in progress
  std::int64_t entries = 0;       // work entries found by the scan
  std::int64_t copied = 0;        // files copied into the FTP web
  std::int64_t reported = 0;      // files found new or changed
  std::int64_t deletedFound = 0;  // FTP web files without a source counterpart
  std::int64_t deleted = 0;       // of those, removed from the FTP web
  std::vector<RunFailure> failures;
  // What the user should know of a run that is no failure, one line each.
  std::vector<std::string> notices;

  bool Finished() const { return !refusal && !cancelled; }
  void Fail(const char* operation, const std::string& path, const std::string& reason) {
    failures.push_back(RunFailure{operation, path, reason});
  }
};

// Failures of one operation for one reason, in the order in which the first of them came: one
// cause that hits many files (a folder without access, a full disk) is one line with a count.
struct FailureGroup {
  RunFailure first;
  std::size_t count = 0;
};
std::vector<FailureGroup> GroupedFailures(const std::vector<RunFailure>& failures);

}  // namespace tarnwick
