#include "engine/run_result.h"

#include <map>
#include <utility>

namespace tarnwick {

std::vector<FailureGroup> GroupedFailures(const std::vector<RunFailure>& failures) {
  std::vector<FailureGroup> groups;
  std::map<std::pair<std::string, std::string>, std::size_t> index;
  for (const RunFailure& failure : failures) {
    auto [it, added] = index.try_emplace({failure.operation, failure.reason}, groups.size());
    if (added) groups.push_back(FailureGroup{failure, 0});
    ++groups[it->second].count;
  }
  return groups;
}

}  // namespace tarnwick
