#include "memory_file_system.h"

namespace tarnwick::fuzzing {

namespace {
bool Refuse(std::string* error) {
  if (error) *error = "not supported";
  return false;
}
}  // namespace

bool MemoryFileSystem::ReadFolder(const std::string&, FolderListing& listing, std::string* error) {
  listing = FolderListing();
  return Refuse(error);
}

std::optional<FindEntry> MemoryFileSystem::LookUp(const std::string& path) {
  auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  FindEntry entry;
  entry.attributes = kAttrNormal;
  entry.size = it->second.size();
  entry.lastWriteTime = times_[path];
  entry.name = path;
  return entry;
}

bool MemoryFileSystem::CreateFolder(const std::string&, std::string* error) {
  return Refuse(error);
}

bool MemoryFileSystem::CopyFile(const std::string&, const std::string&, std::string* error) {
  return Refuse(error);
}

bool MemoryFileSystem::DeleteFile(const std::string& path, std::string* error) {
  if (files.erase(path) == 0) return Refuse(error);
  return true;
}

bool MemoryFileSystem::ReadTextFile(const std::string& path, std::string& content,
                                    std::string* error) {
  auto it = files.find(path);
  if (it == files.end()) {
    content.clear();
    return Refuse(error);
  }
  content = it->second;
  return true;
}

bool MemoryFileSystem::ReplaceFile(const std::string& path, const std::string& content,
                                   std::string*) {
  files[path] = content;
  times_[path] = ++clock_;
  return true;
}

bool MemoryFileSystem::AppendToFile(const std::string& path, const std::string& content,
                                    std::string*) {
  files[path] += content;
  times_[path] = ++clock_;
  return true;
}

}  // namespace tarnwick::fuzzing
