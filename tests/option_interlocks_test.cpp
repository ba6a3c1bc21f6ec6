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

// Every combination of the three controlling boxes, greyed included, against the table:
// the change options follow CheckForChanges, the skip list needs it and KillExtra, the FTP
// path follows LaunchFTP alone.
TEST(OptionInterlocks, EveryRowOfTheTableForEveryState) {
  for (std::int16_t changes : {0, 1, 2}) {
    for (std::int16_t killExtra : {0, 1, 2}) {
      for (std::int16_t launch : {0, 1, 2}) {
        SCOPED_TRACE(::testing::Message() << "CheckForChanges=" << changes
                                          << " KillExtra=" << killExtra << " LaunchFTP=" << launch);
        InterlockState state = ComputeInterlocks({changes, killExtra, launch});
        const bool changesOn = changes != 0;
        EXPECT_EQ(state.changeOptions, changesOn);
        EXPECT_EQ(state.skipList, changesOn && killExtra != 0);
        EXPECT_EQ(state.ftpPath, launch != 0);

        std::vector<ControlEnabled> controls = EnabledControls(state);
        std::set<std::string> seen;
        for (const ControlEnabled& control : controls) {
          std::string name = control.name;
          EXPECT_TRUE(seen.insert(name).second) << name << " listed twice";
          bool expected = kChangeOptions.count(name) ? changesOn
                          : kSkipList.count(name)    ? changesOn && killExtra != 0
                          : kFtpPath.count(name)     ? launch != 0
                                                     : !control.enabled;
          EXPECT_EQ(control.enabled, expected) << name;
        }
        EXPECT_EQ(seen.size(), kChangeOptions.size() + kSkipList.size() + kFtpPath.size());
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick
