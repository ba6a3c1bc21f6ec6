#include "counting_file_system.h"

#include "engine/helpers.h"

namespace tarnwick {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool CountingFileSystem::IsLog(const std::string& path) const {
  std::size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  return LowerCase(name) == "changes.ini";
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
  auto start = std::chrono::steady_clock::now();
  bool ok = inner_.CopyFile(from, to, error);
  copySeconds += SecondsSince(start);
  return ok;
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
  if (!IsLog(path)) return inner_.ReplaceFile(path, content, error);
  ++logWrites;
  logBytes += static_cast<std::int64_t>(content.size());
  auto start = std::chrono::steady_clock::now();
  bool ok = inner_.ReplaceFile(path, content, error);
  logSeconds += SecondsSince(start);
  return ok;
}

bool CountingFileSystem::AppendToFile(const std::string& path, const std::string& content,
                                      std::string* error) {
  if (!IsLog(path)) return inner_.AppendToFile(path, content, error);
  ++logWrites;
  logBytes += static_cast<std::int64_t>(content.size());
  auto start = std::chrono::steady_clock::now();
  bool ok = inner_.AppendToFile(path, content, error);
  logSeconds += SecondsSince(start);
  return ok;
}

}  // namespace tarnwick
