#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/path.h"
#include "platform/file_identity.h"
#include "platform/find_entry.h"

namespace tarnwick {

// A folder kept open while its files are handled. Its entries are named relative to it, so
// the folders above it are walked once, not again for every file; where the platform can, a
// folder held so stays the one that was opened even when another takes its name meanwhile.
// Every failure comes back as a result, as with FileSystem.
class Folder {
 public:
  explicit Folder(std::string path) : path_(std::move(path)) {}
  virtual ~Folder() = default;
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The folder's path as the run composed it, for messages and logs.
  const std::string& Path() const { return path_; }
  std::string PathOf(const std::string& name) const { return path_ + kPathSeparator + name; }

  // The identity of the folder held, for folders kept open; false for those named by path,
  // which always are the folder the path names now.
  virtual bool HeldIdentity(FileIdentity& /*identity*/) { return false; }

  // As FileSystem::LookUp and FileSystem::Inaccessible, for the entry name of this folder.
  virtual std::optional<FindEntry> LookUp(const std::string& name) = 0;
  virtual bool Inaccessible(const std::string& name, std::string* reason) = 0;

  // As FileSystem::CreateFolder for the sub-folder name; made tells whether this very call
  // made it, so that nothing can be in it yet but what others put there since.
  virtual bool CreateFolder(const std::string& name, bool& made, std::string* error) = 0;

  // The real sub-folder name, never one reached through a link; null, with the reason, when
  // there is none.
  virtual std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) = 0;

  // Copies the file name of from into this folder under the same name, as
  // FileSystem::CopyFile copies. expectNew: the caller believes the name is free here; the
  // copy then makes a new file and, should one be there after all, treats it as CopyFile
  // would.
  virtual bool CopyFileFrom(Folder& from, const std::string& name, bool expectNew,
                            std::string* error) = 0;

 private:
  std::string path_;
};

}  // namespace tarnwick
