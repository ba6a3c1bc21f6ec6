#pragma once

#include <map>
#include <string>

#include "platform/file_system.h"

namespace tarnwick::fuzzing {

// Whole files kept in memory, so a harness runs a million times without touching the disk.
// Folders and copies are not needed by the readers under test and always fail.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;

  bool ReadFolder(const std::string&, FolderListing& listing, std::string* error) override;
  std::optional<FindEntry> LookUp(const std::string& path) override;
  bool CreateFolder(const std::string&, std::string* error) override;
  bool CopyFile(const std::string&, const std::string&, std::string* error) override;
  bool DeleteFile(const std::string& path, std::string* error) override;
  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override;
  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override;
  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override;

 private:
  std::map<std::string, std::int64_t> times_;
  std::int64_t clock_ = 1;
};

}  // namespace tarnwick::fuzzing
