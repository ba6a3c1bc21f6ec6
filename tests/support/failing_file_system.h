#pragma once

#include <map>
#include <mutex>
#include <string>

#include "support/forwarding_file_system.h"

namespace tarnwick::testing {

inline const char* FsOpName(FsOp op) {
  static const char* const kNames[] = {"ReadFolder", "LookUp",       "CreateFolder", "CopyFile",
                                       "DeleteFile", "ReadTextFile", "ReplaceFile",  "AppendToFile",
                                       "Identity",   "LockFolder",   "DeleteFolder", "Rename",
                                       "OpenFolder"};
  return kNames[static_cast<int>(op)];
}

// Passes every call to a real file system, except the calls a test has chosen to fail. A
// failed call changes nothing on disk and reports "injected failure"; a failed look-up or
// read leaves its path inaccessible.
class FailingFileSystem : public ForwardingFileSystem {
 public:
  // Fails every call of op whose path (for a copy or a rename: either path) contains pathPart
  // ("" for every path).
  void FailWhen(FsOp op, std::string pathPart) {
    const std::lock_guard lock(mutex_);
    rules_.emplace(op, std::move(pathPart));
  }

  int Failed(FsOp op) const {
    const std::lock_guard lock(mutex_);
    auto it = failed_.find(op);
    return it == failed_.end() ? 0 : it->second;
  }

 protected:
  bool Allow(FsOp op, const std::string& path, const std::string& other,
             std::string* error) override {
    const std::lock_guard lock(mutex_);
    auto [first, last] = rules_.equal_range(op);
    for (auto rule = first; rule != last; ++rule) {
      const std::string& part = rule->second;
      if (part.empty() || path.find(part) != std::string::npos ||
          (!other.empty() && other.find(part) != std::string::npos)) {
        ++failed_[op];
        if (error) *error = "injected failure";
        return false;
      }
    }
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::multimap<FsOp, std::string> rules_;
  std::map<FsOp, int> failed_;
};

}  // namespace tarnwick::testing
