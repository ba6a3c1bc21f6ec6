#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/path.h"
#include "platform/file_identity.h"
#include "platform/find_entry.h"
#include "platform/opened_file.h"

namespace tarnwick {

// What one read of a folder yields. Both lists are sorted by name without regard to case,
// so runs, logs and tests are repeatable whatever order the file system keeps.
struct FolderListing {
  std::vector<std::string> files;    // regular files, hidden ones included
  std::vector<std::string> folders;  // real sub-folders; links to folders are not followed
};

// A folder kept open while its files are handled: the one way a run touches a tree. Its
// entries are named relative to it (a name is one entry, never a path), so the folders above
// it are walked once, not again for every file; where the platform can, a folder held so stays
// the one that was opened even when another takes its name meanwhile. Every failure comes back
// as a result with a reason; nothing is thrown across this line.
class Folder {
 public:
  explicit Folder(std::string path) : path_(std::move(path)) {}
  virtual ~Folder() = default;
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The folder's path as the run composed it, for messages and logs.
  const std::string& Path() const { return path_; }
  std::string PathOf(const std::string& name) const;

  // The identity of the folder held; false for folders named by path, which always are the
  // folder the path names now.
  virtual bool HeldIdentity(FileIdentity& /*identity*/) { return false; }

  // One read of the folder. Special files (pipes, sockets, devices) are passed over; a link to
  // a file counts as a file, one to a folder is passed over so a walk never loops.
  virtual bool List(FolderListing& listing, std::string* error) = 0;

  // The entry name, not following a final link unless it leads to a file.
  virtual std::optional<FindEntry> LookUp(const std::string& name) = 0;

  // Asked after LookUp or ReadTextFile found nothing usable at name: true when that is not
  // because nothing is there (no access, a special file, a link to a folder, an I/O error),
  // with the reason. Callers then must not act as if the file were gone.
  virtual bool Inaccessible(const std::string& name, std::string* reason) = 0;

  // Makes the sub-folder name; true when it exists afterwards. made tells whether this very
  // call made it, so that nothing can be in it yet but what others put there since.
  virtual bool CreateFolder(const std::string& name, bool& made, std::string* error) = 0;

  // The real sub-folder name, never one reached through a link and never one on another
  // mount; null, with the reason, when there is none.
  virtual std::unique_ptr<Folder> OpenFolder(const std::string& name, std::string* error) = 0;

  // The regular file name (a link to one followed) opened for reading, for another folder to
  // copy from. Decided by a look-up first: opening a device may act on it.
  virtual bool OpenForCopy(const std::string& name, OpenedFile& file, std::string* error) = 0;

  // Copies fromName of from here as name: content, permission bits and last-write time (to the
  // nanosecond where the system keeps it), replacing the target; the copy is always writable,
  // so that it can be replaced again. A target with further hard links (one may be the source
  // itself) is not written through: a new file takes its place under a temporary name. A
  // target that is the source's own entry, a folder, or read-only (no owner write bit) is
  // refused, unless the source is read-only too: then it is taken for a copy that kept that
  // bit. A source that changes while it is copied fails the copy. expectNew: the caller
  // believes the name is free here; the copy then makes a new file and, should one be there
  // after all, treats it as any other target.
  virtual bool CopyFileAs(Folder& from, const std::string& fromName, const std::string& name,
                          bool expectNew, std::string* error) = 0;
  // Copies the file name of from into this folder under the same name.
  bool CopyFileFrom(Folder& from, const std::string& name, bool expectNew, std::string* error) {
    return CopyFileAs(from, name, name, expectNew, error);
  }

  // Removes the entry name, never a folder (a link to one is removed as the link).
  virtual bool DeleteFile(const std::string& name, std::string* error) = 0;
  // Removes the empty sub-folder name.
  virtual bool DeleteFolder(const std::string& name, std::string* error) = 0;
  // Gives the entry from the name to, replacing a file of that name.
  virtual bool Rename(const std::string& from, const std::string& to, std::string* error) = 0;

  // Whole small text files, kept as bytes.
  virtual bool ReadTextFile(const std::string& name, std::string& content, std::string* error) = 0;
  // Replaces the file atomically: a temporary file beside it, renamed over it. A read-only
  // file is refused.
  virtual bool ReplaceFile(const std::string& name, const std::string& content,
                           std::string* error) = 0;
  // Adds bytes at the end of the file (creating it) in one write. A write that fails part way
  // leaves the file as it was before.
  virtual bool AppendToFile(const std::string& name, const std::string& content,
                            std::string* error) = 0;

  // Makes probeName as a new file, gives it a write time with a digit in every place, reads
  // the time back and deletes the file: the step in nanoseconds in which this file system
  // keeps write times (1 when exact, 1,000,000,000 for whole seconds, 2,000,000,000 for FAT).
  // 1 when no probe can be made, so that times are compared exactly.
  virtual std::int64_t WriteTimeStep(const std::string& probeName) = 0;

 private:
  std::string path_;
};

}  // namespace tarnwick
