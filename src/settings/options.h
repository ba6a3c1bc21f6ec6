#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The stored options, one field per key of section "Main" of settings.db. Check-box states
// are 0 (off), 1 (on) or 2 (greyed, also on). Before loading everything is 0 and empty.
struct Options {
  std::int16_t CheckForChanges = 0;
  std::int16_t CompareDate = 0;
  std::int16_t CompareSize = 0;
  std::int16_t CreateUploadsDir = 0;
  std::string FTPPath;
  std::int16_t KillDeleted = 0;
  std::int16_t KillExtra = 0;
  std::int16_t LaunchFTP = 0;
  std::int16_t ReportChanges = 0;
  std::int16_t ReportDeleted = 0;
  // Files that kept pages use in _borders, _overlay and _fpclass go into the FTP web too.
  std::int16_t KeepUsedFiles = 0;

  bool operator==(const Options&) const = default;
};

// One option: its key in section "Main", the value a missing key stands for, its field, and the
// control of the Settings panel that shows it.
struct OptionDescriptor {
  const char* key;
  const char* defaultValue;
  std::int16_t Options::*state;  // nullptr for FTPPath, the one text
  const char* control;           // the check box; for FTPPath its text field
  const char* caption;           // shown beside the box; its label is named "lbl" + the rest
  bool followsChanges;           // enabled only while CheckForChanges is on
};

// In the order the keys are read and written. KeepUsedFiles came last and is off by default, so
// a settings.db without it behaves as before.
inline constexpr OptionDescriptor kOptionTable[] = {
    {"CheckForChanges", "1", &Options::CheckForChanges, "chkCheckForChanges",
     "Check for Files Changes", false},
    {"CompareDate", "1", &Options::CompareDate, "chkCompareDates", "Compare file Dates", true},
    {"CompareSize", "1", &Options::CompareSize, "chkCompareSizes", "Compare file Sizes", true},
    {"CreateUploadsDir", "1", &Options::CreateUploadsDir, "chkCreateUploadsDir",
     "Create directory structure for changes files", true},
    {"FTPPath", "", nullptr, "txtLaunchFTP", "", false},
    {"KillDeleted", "1", &Options::KillDeleted, "chkKillDeleted",
     "Remove Deleted files from FTP directory", true},
    {"KillExtra", "1", &Options::KillExtra, "chkKillExtra", "Skip Unnecessary Files", true},
    {"LaunchFTP", "0", &Options::LaunchFTP, "chkLaunchFTP",
     "Launch FTP Client when done Converting", false},
    {"ReportChanges", "1", &Options::ReportChanges, "chkReportChanges",
     "Generate Report for changed files", true},
    {"ReportDeleted", "1", &Options::ReportDeleted, "chkReportDeleted",
     "Generate Report for deleted files", true},
    {"KeepUsedFiles", "0", &Options::KeepUsedFiles, "chkKeepUsedFiles",
     "Keep files that pages use in _borders, _overlay and _fpclass", false},
};

// The name of the label that carries an option's caption.
inline std::string CaptionLabel(const OptionDescriptor& option) {
  return std::string("lbl") + (option.control + 3);
}

}  // namespace tarnwick
