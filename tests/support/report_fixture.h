#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tarnwick::testing {

// A real folder under the system's temporary folder, removed with everything in it when the
// test ends. Relative paths use "/" and may name nested folders, created on demand.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The full path of a relative path ("" is the tree's own folder), without a trailing
  // separator.
  std::string Path(const std::string& relative = "") const;
  void MakeFolder(const std::string& relative) const;
  void WriteFile(const std::string& relative, const std::string& content) const;
  // A file of the given size; large ones are sparse, so they take no disk space.
  void WriteSizedFile(const std::string& relative, std::uintmax_t size) const;

 private:
  std::filesystem::path root_;
};

}  // namespace tarnwick::testing
