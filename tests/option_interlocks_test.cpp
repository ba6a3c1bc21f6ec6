#include "settings/option_interlocks.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tarnwick {
namespace {

const std::set<std::string> kChangeOptions = {
    "chkCompareDates",  "chkCompareSizes",     "chkCreateUploadsDir", "chkKillDeleted",
    "chkKillExtra",     "chkReportChanges",    "chkReportDeleted",    "lblCompareDates",
    "lblCompareSizes",  "lblCreateUploadsDir", "lblKillDeleted",      "lblKillExtra",
    "lblReportChanges", "lblReportDeleted"};
const std::set<std::string> kSkipList = {"lstKillExtra", "cmdKillExtraEdit", "cmdKillExtraRefresh"};
const std::set<std::string> kFtpPath = {"txtLaunchFTP", "cmdLaunchFTP"};

// The change options follow CheckForChanges, the skip list needs it and KillExtra, the FTP path
// follows LaunchFTP alone; a greyed box (2) counts as a checked one.
TEST(OptionInterlocks, EveryControlFollowsItsBoxes) {
  const struct {
    InterlockInputs inputs;  // CheckForChanges, KillExtra, LaunchFTP
    bool changes, skipList, ftpPath;
  } rows[] = {
      {{0, 0, 0}, false, false, false}, {{0, 1, 1}, false, false, true},
      {{1, 0, 2}, true, false, true},   {{1, 1, 0}, true, true, false},
      {{2, 2, 0}, true, true, false},   {{2, 0, 1}, true, false, true},
  };
  for (const auto& row : rows) {
    const InterlockState state = ComputeInterlocks(row.inputs);
    EXPECT_EQ(state.changeOptions, row.changes);
    EXPECT_EQ(state.skipList, row.skipList);
    EXPECT_EQ(state.ftpPath, row.ftpPath);
    std::set<std::string> seen;
    for (const ControlEnabled& control : EnabledControls(state)) {
      const std::string name = control.name;
      EXPECT_TRUE(seen.insert(name).second) << name << " listed twice";
      EXPECT_EQ(control.enabled, kChangeOptions.count(name) ? row.changes
                                 : kSkipList.count(name)    ? row.skipList
                                 : kFtpPath.count(name)     ? row.ftpPath
                                                            : !control.enabled)
          << name;
    }
    EXPECT_EQ(seen.size(), kChangeOptions.size() + kSkipList.size() + kFtpPath.size());
  }
}

}  // namespace
}  // namespace tarnwick
