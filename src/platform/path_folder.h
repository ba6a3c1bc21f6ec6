#pragma once

#include "platform/file_system.h"
#include "platform/folder.h"

namespace tarnwick {

// A folder named by its path: every operation opens it again through the file system and acts
// there, so each fails or succeeds as it would by itself. For a folder that could not be held
// when it was first asked for.
class PathFolder final : public Folder {
 public:
  PathFolder(FileSystem& fs, std::string path) : Folder(std::move(path)), fs_(fs) {}

  bool List(FolderListing& listing, std::string* error) override;
  std::optional<FindEntry> LookUp(const std::string& name) override;
  bool Inaccessible(const std::string& name, std::string* reason) override;
  bool CreateFolder(const std::string& name, bool& made, std::string* error) override;
  std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override;
  bool OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) override;
  bool CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                  bool expectNew, std::string* error) override;
  bool DeleteFile(const std::string& name, std::string* error) override;
  bool DeleteFolder(const std::string& name, std::string* error) override;
  bool Rename(const std::string& from, const std::string& to, std::string* error) override;
  bool ReadTextFile(const std::string& name, std::string& content, std::string* error) override;
  bool ReplaceFile(const std::string& name, const std::string& content,
                   std::string* error) override;
  bool AppendToFile(const std::string& name, const std::string& content,
                    std::string* error) override;
  std::int64_t WriteTimeStep(const std::string& probeName) override;

 private:
  std::unique_ptr<Folder> Open(std::string* error) { return fs_.OpenFolder(Path(), error); }

  FileSystem& fs_;
};

}  // namespace tarnwick
