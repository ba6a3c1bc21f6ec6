#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/path.h"
#include "platform/file_identity.h"
#include "platform/find_entry.h"
#include "platform/folder.h"
#include "platform/folder_lock.h"

namespace tarnwick {

// What one read of a folder yields. Both lists are sorted by name without regard to case,
// so runs, logs and tests are repeatable whatever order the file system keeps.
struct FolderListing {
  std::vector<std::string> files;    // regular files, hidden ones included
  std::vector<std::string> folders;  // real sub-folders; links to folders are not followed
};

enum class LockOutcome {
  kTaken,
  kBusy,         // another holder has it
  kUnavailable,  // the folder cannot be held (missing, or a file system without such locks)
};

// The file-system operations the engine, the report and the profile files use. Every failure
// comes back as a result with a reason; nothing is thrown across this line. Tests put a
// double behind it to make any single operation fail.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // One read of a folder. Special files (pipes, sockets, devices) are passed over; a symbolic
  // link to a file counts as a file, one to a folder is passed over so a walk never loops.
  virtual bool ReadFolder(const std::string& folder, FolderListing& listing,
                          std::string* error) = 0;

  // The entry at path, not following a final symbolic link unless it leads to a file.
  virtual std::optional<FindEntry> LookUp(const std::string& path) = 0;

  // Asked after LookUp or ReadTextFile found nothing usable at path: true when that is not
  // because nothing is there (no access to the entry or a folder on the way, a special file,
  // an I/O error), with the reason. Callers then must not act as if the file were gone.
  virtual bool Inaccessible(const std::string& /*path*/, std::string* /*reason*/) { return false; }

  // Creates the last folder of path. True when the folder exists afterwards.
  virtual bool CreateFolder(const std::string& path, std::string* error) = 0;

  // Copies content, permission bits and last-write time, replacing the target; the copy is
  // always writable, so that it can be replaced again. A target with further hard links (one
  // may be the source itself) is not written through: a new file takes its place. A target
  // that is the source's own entry, a folder, or read-only (no owner write bit) is refused,
  // unless the source is read-only too: then it is taken for a copy that kept that bit.
  virtual bool CopyFile(const std::string& from, const std::string& to, std::string* error) = 0;

  virtual bool DeleteFile(const std::string& path, std::string* error) = 0;

  // The folder at path (links followed), kept open where the platform can: its entries are
  // then handled without walking the path again for each. Null, with the reason, when it
  // cannot be opened. This one names it by its path and sends each operation back here.
  virtual std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error);
  // Removes an empty folder.
  virtual bool DeleteFolder(const std::string& /*path*/, std::string* error) {
    if (error) *error = "cannot remove folders here";
    return false;
  }

  // Makes probePath as a new file, gives it a write time with a digit in every place, reads
  // the time back and deletes the file: the step in nanoseconds in which that file system
  // keeps write times (1 when exact, 1,000,000,000 for whole seconds, 2,000,000,000 for FAT).
  // 1 when no probe can be made there, so that times are compared exactly.
  virtual std::int64_t WriteTimeStep(const std::string& /*probePath*/) { return 1; }
  // Whether DeleteFile may be called from several threads at once. Deleting is slow on some
  // disks one file at a time and much quicker side by side.
  virtual bool ConcurrentDeletes() const { return false; }

  // The identity of the folder at path (links followed). Fails, with the reason, when nothing
  // is there, when it is not a folder, or when the folder cannot be opened for reading.
  virtual bool FolderIdentity(const std::string& /*folder*/, FileIdentity& /*identity*/,
                              std::string* error) {
    if (error) *error = "folder identities are not available here";
    return false;
  }
  // The identities of the folder at path and of every folder above it, up to the root, as the
  // system walks them: a folder reached through a link or a second mount shows the folders
  // that really hold it.
  virtual bool FolderAncestry(const std::string& /*folder*/, std::vector<FileIdentity>& /*chain*/,
                              std::string* error) {
    if (error) *error = "folder identities are not available here";
    return false;
  }
  // An exclusive hold on an existing folder, refused at once (kBusy) when another holds it.
  virtual LockOutcome LockFolder(const std::string& /*folder*/, FolderLock& /*lock*/,
                                 std::string* error) {
    if (error) *error = "folder locks are not available here";
    return LockOutcome::kUnavailable;
  }

  // Whole small text files, kept as bytes.
  virtual bool ReadTextFile(const std::string& path, std::string& content, std::string* error) = 0;
  // Replaces the file atomically: a temporary file in the same folder, renamed over it.
  virtual bool ReplaceFile(const std::string& path, const std::string& content,
                           std::string* error) = 0;
  // Adds bytes at the end of the file (creating it) in one write. A write that fails part
  // way leaves the file as it was before.
  virtual bool AppendToFile(const std::string& path, const std::string& content,
                            std::string* error) = 0;
};

// The machine's own file system.
FileSystem& SystemFileSystem();

// The start of the temporary files ReplaceFile writes beside fileName (".NAME.tmp"), so that
// the ones a killed process left behind can be known and cleared.
std::string ReplaceTempPrefix(const std::string& fileName);

// Whether name is exactly one of those temporary names of fileName: the prefix, then digits.
bool IsReplaceTempName(const std::string& name, const std::string& fileName);

// The write time to give a probe file, and the step a file system keeps times in, judged by
// what it kept of that time.
inline constexpr std::int64_t kProbeWriteTime = 1000000001987654321LL;
std::int64_t TimeStepOf(std::int64_t storedTime);

// The regular files of one folder, sorted like ReadFolder; empty when it cannot be read.
std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder);

// The file a chain of symbolic links at path leads to (its path, which need not exist yet);
// path itself when it is no link, or when the chain loops or cannot be read.
std::string FollowFileLinks(const std::string& path);

}  // namespace tarnwick
