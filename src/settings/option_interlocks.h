#pragma once

#include <cstdint>

namespace tarnwick {

// The check states the interlocks depend on (0 off; 1 and 2 on).
struct InterlockInputs {
  std::int16_t checkForChanges = 0;
  std::int16_t killExtra = 0;
  std::int16_t launchFtp = 0;
};

// Which dependent controls are enabled.
struct InterlockState {
  bool changeOptions = false;  // the seven dependent check boxes and their labels
  bool skipList = false;       // lstKillExtra, cmdKillExtraEdit, cmdKillExtraRefresh
  bool ftpPath = false;        // txtLaunchFTP and cmdLaunchFTP

  bool operator==(const InterlockState&) const = default;
};

InterlockState ComputeInterlocks(const InterlockInputs& inputs);

}  // namespace tarnwick
