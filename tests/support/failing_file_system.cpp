#include "support/failing_file_system.h"

namespace tarnwick::testing {

const char* FsOpName(FsOp op) {
  static const char* const kNames[] = {"ReadFolder", "LookUp",       "CreateFolder", "CopyFile",
                                       "DeleteFile", "ReadTextFile", "ReplaceFile",  "AppendToFile",
                                       "Identity",   "LockFolder"};
  return kNames[static_cast<int>(op)];
}

void FailingFileSystem::FailWhen(FsOp op, std::string pathPart) {
  rules_.emplace(op, std::move(pathPart));
}

int FailingFileSystem::Failed(FsOp op) const {
  auto it = failed_.find(op);
  return it == failed_.end() ? 0 : it->second;
}

bool FailingFileSystem::ShouldFail(FsOp op, const std::string& path, const std::string& other,
                                   std::string* error) {
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

bool FailingFileSystem::ReadFolder(const std::string& folder, FolderListing& listing,
                                   std::string* error) {
  if (ShouldFail(FsOp::kReadFolder, folder, "", error)) {
    listing = FolderListing();
    return false;
  }
  return inner_.ReadFolder(folder, listing, error);
}

std::optional<FindEntry> FailingFileSystem::LookUp(const std::string& path) {
  if (ShouldFail(FsOp::kLookUp, path, "", nullptr)) {
    inaccessible_.insert(path);
    return std::nullopt;
  }
  return inner_.LookUp(path);
}

bool FailingFileSystem::Inaccessible(const std::string& path, std::string* reason) {
  if (inaccessible_.count(path) != 0) {
    if (reason) *reason = "injected failure";
    return true;
  }
  return inner_.Inaccessible(path, reason);
}

bool FailingFileSystem::CreateFolder(const std::string& path, std::string* error) {
  if (ShouldFail(FsOp::kCreateFolder, path, "", error)) return false;
  return inner_.CreateFolder(path, error);
}

bool FailingFileSystem::CopyFile(const std::string& from, const std::string& to,
                                 std::string* error) {
  if (ShouldFail(FsOp::kCopyFile, from, to, error)) return false;
  return inner_.CopyFile(from, to, error);
}

bool FailingFileSystem::DeleteFile(const std::string& path, std::string* error) {
  if (ShouldFail(FsOp::kDeleteFile, path, "", error)) return false;
  return inner_.DeleteFile(path, error);
}

bool FailingFileSystem::ReadTextFile(const std::string& path, std::string& content,
                                     std::string* error) {
  if (ShouldFail(FsOp::kReadTextFile, path, "", error)) {
    content.clear();
    // Only a file that is there can fail to be read.
    if (inner_.LookUp(path)) inaccessible_.insert(path);
    return false;
  }
  return inner_.ReadTextFile(path, content, error);
}

bool FailingFileSystem::ReplaceFile(const std::string& path, const std::string& content,
                                    std::string* error) {
  if (ShouldFail(FsOp::kReplaceFile, path, "", error)) return false;
  return inner_.ReplaceFile(path, content, error);
}

bool FailingFileSystem::AppendToFile(const std::string& path, const std::string& content,
                                     std::string* error) {
  if (ShouldFail(FsOp::kAppendToFile, path, "", error)) return false;
  return inner_.AppendToFile(path, content, error);
}

bool FailingFileSystem::FolderIdentity(const std::string& folder, FileIdentity& identity,
                                       std::string* error) {
  if (ShouldFail(FsOp::kIdentity, folder, "", error)) return false;
  return inner_.FolderIdentity(folder, identity, error);
}

bool FailingFileSystem::FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                                       std::string* error) {
  if (ShouldFail(FsOp::kIdentity, folder, "", error)) return false;
  return inner_.FolderAncestry(folder, chain, error);
}

LockOutcome FailingFileSystem::LockFolder(const std::string& folder, FolderLock& lock,
                                          std::string* error) {
  if (ShouldFail(FsOp::kLockFolder, folder, "", error)) return LockOutcome::kBusy;
  return inner_.LockFolder(folder, lock, error);
}

}  // namespace tarnwick::testing
