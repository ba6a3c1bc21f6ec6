#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/site_check.h"

namespace tarnwick {

// One target of the findings, with how many pages refer to it and how often.
struct TargetSummary {
  FindingKind kind = FindingKind::kMissing;
  std::string target;
  std::int64_t pages = 0;
  std::int64_t references = 0;
  std::string firstPage;
};

// Adds findings up by kind and target, as the check tells them: page after page.
class TargetTally {
 public:
  void Add(const CheckFinding& finding);
  // Grouped by kind in the order of FindingKind; a kind's targets in the order first found.
  std::vector<TargetSummary> Targets() const;

 private:
  struct Counted {
    TargetSummary summary;
    std::string lastPage;
  };
  std::vector<Counted> counted_;  // in the order first found
  std::map<std::pair<FindingKind, std::string>, std::size_t> byTarget_;
};

// The five fields separated by a tab, each escaped: kind, target, pages, references and the
// first page.
std::string TargetLine(const TargetSummary& target);

}  // namespace tarnwick
