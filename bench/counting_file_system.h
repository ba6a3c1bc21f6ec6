#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace tarnwick {

// Passes every operation to another file system and counts what lands in the change logs, so
// that the benchmark can tell a log written once from a log rewritten for every key.
class CountingFileSystem : public FileSystem {
 public:
  explicit CountingFileSystem(FileSystem& inner) : inner_(inner) {}

  // The inner file system's folders, with their copies and log writes counted.
  std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) override;
  bool ConcurrentDeletes() const override { return inner_.ConcurrentDeletes(); }
  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override {
    return inner_.FolderIdentity(folder, identity, error);
  }
  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override {
    return inner_.FolderAncestry(folder, chain, error);
  }
  LockOutcome LockFolder(const std::string& folder, FolderLock& lock, std::string* error) override {
    return inner_.LockFolder(folder, lock, error);
  }

  std::int64_t logWrites = 0;  // rewrites and appends of a changes.ini
  std::int64_t logBytes = 0;   // bytes those writes put on disk
  double logSeconds = 0;       // time spent in those writes
  std::int64_t copies = 0;
  double copySeconds = 0;
  std::int64_t heldFolders = 0;  // folders opened, by path or below another

 private:
  FileSystem& inner_;
};

}  // namespace tarnwick
