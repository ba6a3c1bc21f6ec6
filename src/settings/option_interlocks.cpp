#include "settings/option_interlocks.h"

#include "settings/options.h"

namespace tarnwick {

InterlockState ComputeInterlocks(const InterlockInputs& inputs) {
  // A greyed box (2) counts as on, like a checked one.
  const bool changesOn = inputs.checkForChanges != 0;
  InterlockState state;
  state.changeOptions = changesOn;
  state.skipList = changesOn && inputs.killExtra != 0;
  state.ftpPath = inputs.launchFtp != 0;
  return state;
}

std::vector<ControlEnabled> EnabledControls(const InterlockState& state) {
  std::vector<ControlEnabled> controls;
  for (const OptionDescriptor& option : kOptionTable) {
    if (!option.followsChanges) continue;
    controls.push_back({option.control, state.changeOptions});
    controls.push_back({CaptionLabel(option), state.changeOptions});
  }
  for (const char* name : kSkipListControls) controls.push_back({name, state.skipList});
  for (const char* name : kFtpPathControls) controls.push_back({name, state.ftpPath});
  return controls;
}

}  // namespace tarnwick
