#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick::testing {

// Passes every call to the machine's file system; a double overrides only the calls it changes.
// OpenFolder is left to the base on purpose: its folders send each operation back here, so a held
// folder still goes through the double's overrides.
class ForwardingFileSystem : public FileSystem {
 public:
  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) override {
    return inner_.ReadFolder(folder, listing, error);
  }
  std::optional<FindEntry> LookUp(const std::string& path) override { return inner_.LookUp(path); }
  bool Inaccessible(const std::string& path, std::string* reason) override {
    return inner_.Inaccessible(path, reason);
  }
  bool CreateFolder(const std::string& path, std::string* error) override {
    return inner_.CreateFolder(path, error);
  }
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    return inner_.CopyFile(from, to, error);
  }
  bool DeleteFile(const std::string& path, std::string* error) override {
    return inner_.DeleteFile(path, error);
  }
  bool DeleteFolder(const std::string& path, std::string* error) override {
    return inner_.DeleteFolder(path, error);
  }
  std::int64_t WriteTimeStep(const std::string& probePath) override {
    return inner_.WriteTimeStep(probePath);
  }
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
  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override {
    return inner_.ReadTextFile(path, content, error);
  }
  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override {
    return inner_.ReplaceFile(path, content, error);
  }
  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override {
    return inner_.AppendToFile(path, content, error);
  }

 protected:
  FileSystem& inner_ = SystemFileSystem();
};

}  // namespace tarnwick::testing
