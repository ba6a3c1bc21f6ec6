#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() joined with a relative path written with "/" (turned into the platform separator).
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

// Small file helpers for tests; folders on the way are created.
std::string Join(const std::string& folder, const std::string& relative);
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeFolder(const std::string& path);
// Sets the last-write time, in seconds since the Unix epoch and nanoseconds.
void SetWriteTime(const std::string& path, std::int64_t seconds, std::int64_t nanoseconds = 0);
std::int64_t WriteTimeOf(const std::string& path);

}  // namespace tarnwick::testing
