#pragma once

#ifndef _WIN32

#include "platform/folder.h"
#include "platform/posix_support.h"

namespace tarnwick {

// A folder held by a descriptor that only names it: the folders above it are not walked again
// for its entries, and it stays the folder that was opened, whatever takes its name since.
class PosixFolder final : public Folder {
 public:
  // Takes over fd.
  PosixFolder(std::string path, int fd, const FileIdentity& identity)
      : Folder(std::move(path)), fd_(fd), identity_(identity) {}

  // The folder at fd named path, or null (fd closed) with the reason when fd cannot be read.
  static std::unique_ptr<Folder> Hold(std::string path, int fd, std::string* error);

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

  // Whether the kernel's own refusal of links and mounts is used (openat2), rather than an
  // open that refuses a final link followed by a check of the mount; tests turn it off to try
  // the second way too.
  static void UseKernelResolve(bool use);

 private:
  // A file without its owner's write bit counts as read-only, as the read-only attribute
  // does, even for the administrator, who could otherwise write it anyway.
  bool ReadOnlyTarget(const std::string& name, std::string* error);

  posix::Fd fd_;
  FileIdentity identity_;  // a descriptor's file never changes
};

}  // namespace tarnwick

#endif  // !_WIN32
