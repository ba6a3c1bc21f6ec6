#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/forwarding_folder.h"

namespace tarnwick::testing {

// The operations a double can watch or refuse.
enum class FsOp {
  kReadFolder,  // listing a folder
  kLookUp,
  kCreateFolder,
  kCopyFile,
  kDeleteFile,
  kReadTextFile,
  kReplaceFile,
  kAppendToFile,
  kIdentity,    // FolderIdentity and FolderAncestry
  kLockFolder,  // refused as a folder held by another run is
  kDeleteFolder,
  kRename,
  kOpenFolder,  // a tree's root by its path, or a sub-folder by its name
};

// Passes every call to the machine's file system. Its folders wrap the real ones, so that every
// operation on an entry, by path or relative to a held folder, first asks Allow with the path
// the folder composes (a copy: its source and its target; a rename: both names).
class ForwardingFileSystem : public FileSystem {
 public:
  std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) override {
    if (!Allow(FsOp::kOpenFolder, path, "", error)) return nullptr;
    std::unique_ptr<Folder> folder = inner_.OpenFolder(path, error);
    return folder ? std::make_unique<WatchedFolder>(*this, std::move(folder)) : nullptr;
  }
  bool ConcurrentDeletes() const override { return inner_.ConcurrentDeletes(); }
  bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                      std::string* error) override {
    return Allow(FsOp::kIdentity, folder, "", error) &&
           inner_.FolderIdentity(folder, identity, error);
  }
  bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                      std::string* error) override {
    return Allow(FsOp::kIdentity, folder, "", error) && inner_.FolderAncestry(folder, chain, error);
  }
  LockOutcome LockFolder(const std::string& folder, FolderLock& lock, std::string* error) override {
    if (!Allow(FsOp::kLockFolder, folder, "", error)) return LockOutcome::kBusy;
    return inner_.LockFolder(folder, lock, error);
  }

 protected:
  // Whether the operation may go on; false fails it with error set. May be asked from several
  // threads at once (deletions go side by side).
  virtual bool Allow(FsOp /*op*/, const std::string& /*path*/, const std::string& /*other*/,
                     std::string* /*error*/) {
    return true;
  }

  FileSystem& inner_ = SystemFileSystem();

 private:
  // A refused look-up or read leaves its path inaccessible (something is there that cannot be
  // examined), as a folder without access or a disk error would.
  class WatchedFolder final : public ForwardingFolder {
   public:
    WatchedFolder(ForwardingFileSystem& fs, std::unique_ptr<Folder> inner)
        : ForwardingFolder(std::move(inner)), fs_(fs) {}

    bool List(FolderListing& listing, std::string* error) override {
      listing = FolderListing();
      return fs_.Allow(FsOp::kReadFolder, Path(), "", error) && inner_->List(listing, error);
    }
    std::optional<FindEntry> LookUp(const std::string& name) override {
      if (fs_.Allow(FsOp::kLookUp, PathOf(name), "", nullptr)) return inner_->LookUp(name);
      fs_.MarkInaccessible(PathOf(name));
      return std::nullopt;
    }
    bool Inaccessible(const std::string& name, std::string* reason) override {
      if (fs_.Marked(PathOf(name))) {
        if (reason) *reason = "injected failure";
        return true;
      }
      return inner_->Inaccessible(name, reason);
    }
    bool CreateFolder(const std::string& name, bool& made, std::string* error) override {
      made = false;
      return fs_.Allow(FsOp::kCreateFolder, PathOf(name), "", error) &&
             inner_->CreateFolder(name, made, error);
    }
    std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) override {
      if (!fs_.Allow(FsOp::kOpenFolder, PathOf(name), "", error)) return nullptr;
      std::unique_ptr<Folder> folder = inner_->OpenFolder(name, error);
      return folder ? std::make_unique<WatchedFolder>(fs_, std::move(folder)) : nullptr;
    }
    bool OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) override {
      return fs_.Allow(FsOp::kCopyFile, PathOf(name), "", error) &&
             inner_->OpenForCopy(name, file, error);
    }
    bool CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                    bool expectNew, std::string* error) override {
      return fs_.Allow(FsOp::kCopyFile, from.PathOf(fromName), PathOf(name), error) &&
             inner_->CopyFileAs(from, fromName, name, expectNew, error);
    }
    bool DeleteFile(const std::string& name, std::string* error) override {
      return fs_.Allow(FsOp::kDeleteFile, PathOf(name), "", error) &&
             inner_->DeleteFile(name, error);
    }
    bool DeleteFolder(const std::string& name, std::string* error) override {
      return fs_.Allow(FsOp::kDeleteFolder, PathOf(name), "", error) &&
             inner_->DeleteFolder(name, error);
    }
    bool Rename(const std::string& from, const std::string& to, std::string* error) override {
      return fs_.Allow(FsOp::kRename, PathOf(from), PathOf(to), error) &&
             inner_->Rename(from, to, error);
    }
    bool ReadTextFile(const std::string& name, std::string& content, std::string* error) override {
      content.clear();
      if (fs_.Allow(FsOp::kReadTextFile, PathOf(name), "", error))
        return inner_->ReadTextFile(name, content, error);
      // Only a file that is there can fail to be read.
      if (inner_->LookUp(name)) fs_.MarkInaccessible(PathOf(name));
      return false;
    }
    bool ReplaceFile(const std::string& name, const std::string& content,
                     std::string* error) override {
      return fs_.Allow(FsOp::kReplaceFile, PathOf(name), "", error) &&
             inner_->ReplaceFile(name, content, error);
    }
    bool AppendToFile(const std::string& name, const std::string& content,
                      std::string* error) override {
      return fs_.Allow(FsOp::kAppendToFile, PathOf(name), "", error) &&
             inner_->AppendToFile(name, content, error);
    }

   private:
    ForwardingFileSystem& fs_;
  };

  void MarkInaccessible(const std::string& path) {
    const std::lock_guard lock(mutex_);
    inaccessible_.insert(path);
  }
  bool Marked(const std::string& path) {
    const std::lock_guard lock(mutex_);
    return inaccessible_.count(path) != 0;
  }

  std::mutex mutex_;
  std::set<std::string> inaccessible_;
};

}  // namespace tarnwick::testing
