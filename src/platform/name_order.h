#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// Orders names without regard to case, with the exact bytes breaking ties, so that every
// listing comes out the same on every run.
bool NameLess(const std::string& a, const std::string& b);
void SortNames(std::vector<std::string>& names);

}  // namespace tarnwick
