#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "platform/file_system.h"

namespace tarnwick::testing {

// The machine's file system, except that a copy whose source path ends with the gate's name
// stops there until the test opens the gate: a copy that takes as long as the test wants.
class GatedFileSystem : public FileSystem {
 public:
  explicit GatedFileSystem(std::string gatedName) : gatedName_(std::move(gatedName)) {}
  ~GatedFileSystem() override { Open(); }

  // True once a copy waits at the gate.
  bool Reached() const { return reached_; }
  void Open();

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
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override;
  bool DeleteFile(const std::string& path, std::string* error) override {
    return inner_.DeleteFile(path, error);
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

 private:
  FileSystem& inner_ = SystemFileSystem();
  std::string gatedName_;
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  std::atomic<bool> reached_ = false;
};

}  // namespace tarnwick::testing
