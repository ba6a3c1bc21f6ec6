#include "check/target_tally.h"

#include <algorithm>

namespace tarnwick {

void TargetTally::Add(const CheckFinding& finding) {
  const auto [at, added] =
      byTarget_.try_emplace(std::make_pair(finding.kind, finding.target), counted_.size());
  if (added) counted_.push_back(Counted{{finding.kind, finding.target, 0, 0, finding.page}, {}});
  Counted& counted = counted_[at->second];
  ++counted.summary.references;
  // A page's findings come together, so a page is new when it differs from the last one.
  if (counted.summary.pages == 0 || counted.lastPage != finding.page) {
    ++counted.summary.pages;
    counted.lastPage = finding.page;
  }
}

std::vector<TargetSummary> TargetTally::Targets() const {
  std::vector<TargetSummary> targets;
  targets.reserve(counted_.size());
  for (const Counted& counted : counted_) targets.push_back(counted.summary);
  std::stable_sort(targets.begin(), targets.end(),
                   [](const TargetSummary& a, const TargetSummary& b) { return a.kind < b.kind; });
  return targets;
}

std::string TargetLine(const TargetSummary& target) {
  return std::string(FindingKindName(target.kind)) + '\t' + EscapedField(target.target) + '\t' +
         std::to_string(target.pages) + '\t' + std::to_string(target.references) + '\t' +
         EscapedField(target.firstPage);
}

}  // namespace tarnwick
