#include "platform/entry_names.h"

#include <algorithm>

#include <random>

#include "base/path.h"
#include "platform/file_system.h"

namespace tarnwick {
namespace {

// "C:" starts a path on Windows: the drive, not an entry.
bool IsDriveColon(const std::string& path, std::size_t at) {
#ifdef _WIN32
  return at == 1 && path[1] == ':';
#else
  (void)path;
  (void)at;
  return false;
#endif
}

// One generator per thread: a run and the window's own saves may write side by side.
std::mt19937_64& TempNameRandom() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  return random;
}

}  // namespace

std::string EntryNameOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && IsPathSeparator(path[end - 1])) --end;
  std::size_t start = end;
  while (start > 0 && !IsPathSeparator(path[start - 1]) && !IsDriveColon(path, start - 1)) --start;
  return path.substr(start, end - start);
}

std::string HolderPathOf(const std::string& path) {
  std::size_t cut = path.size();
  while (cut > 0 && !IsPathSeparator(path[cut - 1])) --cut;
  if (cut == 0) return path.size() >= 2 && IsDriveColon(path, 1) ? path.substr(0, 2) : ".";
  --cut;  // the separator
  if (cut == 0 || (cut == 2 && IsDriveColon(path, 1))) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

std::string JoinEntry(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (IsPathSeparator(last) || IsDriveColon(folder, folder.size() - 1)) return folder + name;
  return folder + kPathSeparator + name;
}

bool MakeUnderTempName(const std::string& fileName,
                       const std::function<TempAttempt(const std::string&)>& attempt,
                       std::string& temp) {
  const std::string prefix = ReplaceTempPrefix(fileName);
  for (int tries = 0; tries < 100; ++tries) {
    temp = prefix + std::to_string(TempNameRandom()() % 1000000000);
    TempAttempt outcome = attempt(temp);
    if (outcome != TempAttempt::kTaken) return outcome == TempAttempt::kMade;
  }
  return false;
}

std::string ReplaceTempPrefix(const std::string& fileName) {
  std::string prefix(1, '.');
  prefix += fileName;
  prefix += ".tmp";
  return prefix;
}

bool IsReplaceTempName(const std::string& name, const std::string& fileName) {
  const std::string prefix = ReplaceTempPrefix(fileName);
  // The writers add up to nine digits.
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

bool IsEntryName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), IsPathSeparator);
}

}  // namespace tarnwick
