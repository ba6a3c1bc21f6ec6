#pragma once

#include <map>
#include <string>

#include "platform/file_system.h"

namespace tarnwick::fuzzing {

// Whole files kept in memory by their paths, so a harness runs a million times without
// touching the disk. Any folder opens; listings, sub-folders and copies are not needed by the
// readers under test and always fail.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;

  std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) override;
  bool FolderIdentity(const std::string&, FileIdentity&, std::string* error) override;
  bool FolderAncestry(const std::string&, std::vector<FileIdentity>&, std::string* error) override;
  LockOutcome LockFolder(const std::string&, FolderLock&, std::string* error) override;

 private:
  class MemoryFolder;

  std::map<std::string, std::int64_t> times_;
  std::int64_t clock_ = 1;
};

}  // namespace tarnwick::fuzzing
