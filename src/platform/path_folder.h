#pragma once

#include "platform/file_system.h"
#include "platform/folder.h"

namespace tarnwick {

// A folder named by its path: every operation goes to the file system's own operation on the
// composed path. The standard for file systems that hold no folders open (test doubles, and
// where a folder cannot be opened), so each of them sees every path as before.
class PathFolder : public Folder {
 public:
  PathFolder(FileSystem& fs, std::string path) : Folder(std::move(path)), fs_(fs) {}

  std::optional<FindEntry> LookUp(const std::string& name) override;
  bool Inaccessible(const std::string& name, std::string* reason) override;
  bool CreateFolder(const std::string& name, bool& made, std::string* error) override;
  std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override;
  bool CopyFileFrom(Folder& from, const std::string& name, bool expectNew,
                    std::string* error) override;

 private:
  FileSystem& fs_;
};

}  // namespace tarnwick
