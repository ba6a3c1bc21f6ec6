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

}  // namespace tarnwick
