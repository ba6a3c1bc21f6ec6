#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/forwarding_file_system.h"

namespace tarnwick::testing {

// The file-system operations a double can make fail.
enum class FsOp {
  kReadFolder,
  kLookUp,
  kCreateFolder,
  kCopyFile,
  kDeleteFile,
  kReadTextFile,
  kReplaceFile,
  kAppendToFile,
  kIdentity,   // FolderIdentity and FolderAncestry
  kLockFolder  // fails as a folder held by another run does
};

inline const char* FsOpName(FsOp op) {
  static const char* const kNames[] = {"ReadFolder", "LookUp",       "CreateFolder", "CopyFile",
                                       "DeleteFile", "ReadTextFile", "ReplaceFile",  "AppendToFile",
                                       "Identity",   "LockFolder"};
  return kNames[static_cast<int>(op)];
}

// Passes every call to a real file system, except the calls a test has chosen to fail. A
// failed call changes nothing on disk and reports "injected failure"; a failed look-up or
// read leaves its path inaccessible (something is there that cannot be examined), as a
// folder without access or a disk error would.
class FailingFileSystem : public ForwardingFileSystem {
 public:
  // Fails every call of op whose path (for a copy: either path) contains pathPart ("" for
  // every path).
  void FailWhen(FsOp op, std::string pathPart) { rules_.emplace(op, std::move(pathPart)); }

  int Failed(FsOp op) const {
    auto it = failed_.find(op);
    return it == failed_.end() ? 0 : it->second;
  }

  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) override {
    if (ShouldFail(FsOp::kReadFolder, folder, "", error)) {
      listing = FolderListing();
      return false;
    }
    return inner_.ReadFolder(folder, listing, error);
  }
  std::optional<FindEntry> LookUp(const std::string& path) override {
    if (ShouldFail(FsOp::kLookUp, path, "", nullptr)) {
      inaccessible_.insert(path);
      return std::nullopt;
    }
    return inner_.LookUp(path);
  }
  bool Inaccessible(const std::string& path, std::string* reason) override {
    if (inaccessible_.count(path) != 0) {
      if (reason) *reason = "injected failure";
      return true;
    }
    return inner_.Inaccessible(path, reason);
  }
  bool CreateFolder(const std::string& path, std::string* error) override {
    if (ShouldFail(FsOp::kCreateFolder, path, "", error)) return false;
    return inner_.CreateFolder(path, error);
  }
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    if (ShouldFail(FsOp::kCopyFile, from, to, error)) return false;
    return inner_.CopyFile(from, to, error);
  }
  bool DeleteFile(const std::string& path, std::string* error) override {
    if (ShouldFail(FsOp::kDeleteFile, path, "", error)) return false;
    return inner_.DeleteFile(path, error);
  }
  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override {
    if (ShouldFail(FsOp::kReadTextFile, path, "", error)) {
      content.clear();
      // Only a file that is there can fail to be read.
      if (inner_.LookUp(path)) inaccessible_.insert(path);
      return false;
    }
    return inner_.ReadTextFile(path, content, error);
  }
  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override {
    if (ShouldFail(FsOp::kReplaceFile, path, "", error)) return false;
    return inner_.ReplaceFile(path, content, error);
  }
  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override {
    if (ShouldFail(FsOp::kAppendToFile, path, "", error)) return false;
    return inner_.AppendToFile(path, content, error);
  }
  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override {
    if (ShouldFail(FsOp::kIdentity, folder, "", error)) return false;
    return inner_.FolderIdentity(folder, identity, error);
  }
  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override {
    if (ShouldFail(FsOp::kIdentity, folder, "", error)) return false;
    return inner_.FolderAncestry(folder, chain, error);
  }
  LockOutcome LockFolder(const std::string& folder, FolderLock& lock, std::string* error) override {
    if (ShouldFail(FsOp::kLockFolder, folder, "", error)) return LockOutcome::kBusy;
    return inner_.LockFolder(folder, lock, error);
  }

 private:
  // True when this call is to fail; counts the failures.
  bool ShouldFail(FsOp op, const std::string& path, const std::string& other, std::string* error) {
    auto [first, last] = rules_.equal_range(op);
    for (auto rule = first; rule != last; ++rule) {
      const std::string& part = rule->second;
      if (part.empty() || path.find(part) != std::string::npos ||
          other.find(part) != std::string::npos) {
        ++failed_[op];
        if (error) *error = "injected failure";
        return true;
      }
    }
    return false;
  }

  std::multimap<FsOp, std::string> rules_;
  std::map<FsOp, int> failed_;
  std::set<std::string> inaccessible_;
};

}  // namespace tarnwick::testing
