#include "report/check_section.h"

namespace tarnwick {
namespace {

std::string Counted(std::int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::vector<std::string> CheckSectionHead(const CheckResult& result,
                                          const std::vector<TargetSummary>& targets) {
  std::vector<std::string> lines = {kCheckHeading, CheckSummary(result)};
  for (std::size_t i = 0; i < targets.size();) {
    const FindingKind kind = targets[i].kind;
    std::size_t end = i;
    while (end < targets.size() && targets[end].kind == kind) ++end;
    lines.push_back(std::string(FindingKindName(kind)) + ": " +
                    Counted(static_cast<std::int64_t>(end - i), "target", "targets"));
    // One field: the report's columns are for its numbers.
    for (; i < end; ++i) {
      const TargetSummary& target = targets[i];
      lines.push_back("     " + EscapedField(target.target) + ": " +
                      Counted(target.references, "reference", "references") + " on " +
                      Counted(target.pages, "page", "pages") + ", first " +
                      EscapedField(target.firstPage));
    }
  }
  if (!targets.empty()) lines.emplace_back();
  return lines;
}

}  // namespace tarnwick
