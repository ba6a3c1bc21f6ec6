#include "support/failing_file_system.h"

namespace tarnwick::testing {

const char* FsOpName(FsOp op) {
  switch (op) {
    case FsOp::kReadFolder:
      return "ReadFolder";
    case FsOp::kLookUp:
      return "LookUp";
    case FsOp::kCreateFolder:
      return "CreateFolder";
    case FsOp::kCopyFile:
      return "CopyFile";
    case FsOp::kDeleteFile:
      return "DeleteFile";
    case FsOp::kReadTextFile:
      return "ReadTextFile";
    case FsOp::kReplaceFile:
      return "ReplaceFile";
    case FsOp::kAppendToFile:
      return "AppendToFile";
    case FsOp::kIdentity:
      return "Identity";
    case FsOp::kLockFolder:
      return "LockFolder";
  }
  return "?";
}

FailingFileSystem::FailingFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

void FailingFileSystem::FailWhen(FsOp op, std::string pathPart, int skip, int count) {
  rules_.push_back(Rule{op, std::move(pathPart), skip, count});
}

void FailingFileSystem::Clear() {
  rules_.clear();
  inaccessible_.clear();
}

int FailingFileSystem::Calls(FsOp op) const {
  auto it = calls_.find(op);
  return it == calls_.end() ? 0 : it->second;
}

int FailingFileSystem::Failed(FsOp op) const {
  auto it = failed_.find(op);
  return it == failed_.end() ? 0 : it->second;
}

bool FailingFileSystem::ShouldFail(FsOp op, const std::string& path, const std::string& other,
                                   std::string* error) {
  ++calls_[op];
  for (Rule& rule : rules_) {
    if (rule.op != op) continue;
    if (!rule.pathPart.empty() && path.find(rule.pathPart) == std::string::npos &&
        other.find(rule.pathPart) == std::string::npos)
      continue;
    int index = rule.matched++;
    if (index < rule.skip || (rule.count >= 0 && index >= rule.skip + rule.count)) continue;
    ++failed_[op];
    failedPaths_.push_back(other.empty() ? path : other);
    if (error) *error = "injected failure";
    return true;
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
