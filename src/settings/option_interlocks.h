#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// The dependent controls that are not an option's box or caption, by object name, grouped as
// they are switched.
inline constexpr const char* kSkipListControls[] = {"lstKillExtra", "cmdKillExtraEdit",
                                                    "cmdKillExtraRefresh"};
inline constexpr const char* kFtpPathControls[] = {"txtLaunchFTP", "cmdLaunchFTP"};

// One dependent control and whether it is enabled.
struct ControlEnabled {
  std::string name;
  bool enabled;
};

// Every dependent control with its enabled state, so the window applies the rules by name
// and nothing else decides them.
std::vector<ControlEnabled> EnabledControls(const InterlockState& state);

}  // namespace tarnwick
