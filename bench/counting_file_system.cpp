#include "counting_file_system.h"

#include "engine/helpers.h"

namespace tarnwick {

void CountingFileSystem::CountLog(const std::string& path, std::size_t bytes) {
  std::size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (LowerCase(name) != "changes.ini") return;
  ++logWrites;
  logBytes += static_cast<std::int64_t>(bytes);
}

bool CountingFileSystem::ReadFolder(const std::string& folder, FolderListing& listing,
                                    std::string* error) {
  return inner_.ReadFolder(folder, listing, error);
}

std::optional<FindEntry> CountingFileSystem::LookUp(const std::string& path) {
  return inner_.LookUp(path);
}

bool CountingFileSystem::CreateFolder(const std::string& path, std::string* error) {
  return inner_.CreateFolder(path, error);
}

bool CountingFileSystem::CopyFile(const std::string& from, const std::string& to,
                                  std::string* error) {
  ++copies;
  return inner_.CopyFile(from, to, error);
}

bool CountingFileSystem::DeleteFile(const std::string& path, std::string* error) {
  return inner_.DeleteFile(path, error);
}

bool CountingFileSystem::ReadTextFile(const std::string& path, std::string& content,
                                      std::string* error) {
  return inner_.ReadTextFile(path, content, error);
}

bool CountingFileSystem::ReplaceFile(const std::string& path, const std::string& content,
                                     std::string* error) {
  CountLog(path, content.size());
  return inner_.ReplaceFile(path, content, error);
}

bool CountingFileSystem::AppendToFile(const std::string& path, const std::string& content,
                                      std::string* error) {
  CountLog(path, content.size());
  return inner_.AppendToFile(path, content, error);
}

}  // namespace tarnwick
