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

const char* FsOpName(FsOp op);

// Passes every call to a real file system, except the calls a test has chosen to fail. A
// failed call changes nothing on disk and reports "injected failure"; a failed look-up or
// read leaves its path inaccessible (something is there that cannot be examined), as a
// folder without access or a disk error would.
class FailingFileSystem : public ForwardingFileSystem {
 public:
  // Fails every call of op whose path (for a copy: either path) contains pathPart ("" for
  // every path).
  void FailWhen(FsOp op, std::string pathPart);

  int Failed(FsOp op) const;

  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error) override;
  std::optional<FindEntry> LookUp(const std::string& path) override;
  bool Inaccessible(const std::string& path, std::string* reason) override;
  bool CreateFolder(const std::string& path, std::string* error) override;
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override;
  bool DeleteFile(const std::string& path, std::string* error) override;
  bool ReadTextFile(const std::string& path, std::string& content, std::string* error) override;
  bool ReplaceFile(const std::string& path, const std::string& content,
                   std::string* error) override;
  bool AppendToFile(const std::string& path, const std::string& content,
                    std::string* error) override;
  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override;
  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override;
  LockOutcome LockFolder(const std::string& folder, FolderLock& lock, std::string* error) override;

 private:
  // True when this call is to fail; counts the failures.
  bool ShouldFail(FsOp op, const std::string& path, const std::string& other, std::string* error);

  std::multimap<FsOp, std::string> rules_;
  std::map<FsOp, int> failed_;
  std::set<std::string> inaccessible_;
};

}  // namespace tarnwick::testing
