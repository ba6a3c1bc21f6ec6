#pragma once

#include <string>

namespace tarnwick::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  // The path of a name inside the folder ("a/b.txt").
  std::string operator/(const std::string& relative) const;

  // Writes bytes to a file inside the folder, creating the folders on the way.
  void Write(const std::string& relative, const std::string& content) const;
  // The bytes of a file inside the folder; "" when it cannot be read.
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string path_;
};

// Bytes of any file; "" when it cannot be read.
std::string ReadBytes(const std::string& path);

}  // namespace tarnwick::testing
