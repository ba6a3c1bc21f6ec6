#pragma once

#include <string>
#include <vector>

#include "check/site_check.h"
#include "check/target_tally.h"

namespace tarnwick {

inline constexpr const char* kCheckHeading = "*** Site Check ***";

// How the site check's section of the report begins: its heading, how the check ended, then
// the targets grouped by kind, each with its references, pages and first page. When there are
// targets an empty line ends it, and the findings' own lines follow.
std::vector<std::string> CheckSectionHead(const CheckResult& result,
                                          const std::vector<TargetSummary>& targets);

}  // namespace tarnwick
