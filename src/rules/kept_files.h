#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tarnwick {

// The files that pages use in _borders, _overlay and _fpclass: relative paths ("/" between
// folders), sorted, each once; and whether every page could be read to find them.
struct KeptFiles {
  std::vector<std::string> files;
  bool complete = false;
};

// Finds them for the web at the given folder: the conversion asks whoever made it, which
// reads the pages.
using KeptFilesProvider = std::function<KeptFiles(const std::string& source)>;

}  // namespace tarnwick
