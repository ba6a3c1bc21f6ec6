#pragma once

#ifdef _WIN32

#include "platform/folder.h"
#include "platform/win32_support.h"

namespace tarnwick {

// A folder named by its path and held open by a handle that does not share deletion, so that
// while it is held the folder can be neither renamed nor removed and the path keeps naming it.
// Its sub-folders are opened without following a reparse point (junction, link or mounted
// volume), so no walk leaves the tree it started in.
class Win32Folder final : public Folder {
 public:
  // The folder at path. subfolder: a reparse point there is refused, not followed, and the
  // folder is held so that it cannot be renamed or removed. A tree's root is held for its
  // identity only, so that the run sees it go when it is moved away.
  static std::unique_ptr<Folder> Open(const std::string& path, bool subfolder,
                                      std::string* error);

  bool HeldIdentity(FileIdentity& identity) override;
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

  Win32Folder(std::string path, HANDLE held) : Folder(std::move(path)), held_(held) {}

 private:
  win32::Handle held_;
};

}  // namespace tarnwick

#endif  // _WIN32
