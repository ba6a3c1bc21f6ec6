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

enum class LockOutcome {
  kTaken,
  kBusy,         // another holder has it
  kUnavailable,  // the folder cannot be held (missing, or a file system without such locks)
};

// What is not inside a tree: opening a tree's root by the path the user gave, the identities
// of folders named by path, the run's lock. Everything inside a tree goes through Folder.
// Every failure comes back as a result with a reason; nothing is thrown across this line.
// Tests put a double behind it whose folders make any single operation fail.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The folder at path (links in the path followed), held open where the platform can. Null,
  // with the reason, when it cannot be opened.
  virtual std::unique_ptr<Folder> OpenFolder(const std::string& path, std::string* error) = 0;

  // Whether files may be deleted from several threads at once. Deleting is slow on some disks
  // one file at a time and much quicker side by side.
  virtual bool ConcurrentDeletes() const { return false; }

  // The identity of the folder at path (links followed). Fails, with the reason, when nothing
  // is there, when it is not a folder, or when the folder cannot be opened for reading.
  virtual bool FolderIdentity(const std::string& folder, FileIdentity& identity,
                              std::string* error) = 0;
  // The identities of the folder at path and of every folder above it, up to the root, as the
  // system walks them: a folder reached through a link or a second mount shows the folders
  // that really hold it.
  virtual bool FolderAncestry(const std::string& folder, std::vector<FileIdentity>& chain,
                              std::string* error) = 0;
  // An exclusive hold on an existing folder, refused at once (kBusy) when another holds it.
  virtual LockOutcome LockFolder(const std::string& folder, FolderLock& lock,
                                 std::string* error) = 0;

  // Files named by a whole path, for those outside a run's trees (the profiles, the ticker
  // file, the report's and the site check's walks): each opens the folder that holds the entry
  // and does the Folder operation of the same name there. Links in the folders' path are
  // followed; the last entry is treated as the Folder operation treats it.
  bool ReadFolder(const std::string& folder, FolderListing& listing, std::string* error);
  std::optional<FindEntry> LookUp(const std::string& path);
  bool Inaccessible(const std::string& path, std::string* reason);
  // Creates the last folder of path. True when the folder exists afterwards; made, when given,
  // tells whether this very call made it.
  bool CreateFolder(const std::string& path, std::string* error, bool* made = nullptr);
  bool CopyFile(const std::string& from, const std::string& to, std::string* error);
  bool DeleteFile(const std::string& path, std::string* error);
  bool DeleteFolder(const std::string& path, std::string* error);
  std::int64_t WriteTimeStep(const std::string& probePath);
  bool ReadTextFile(const std::string& path, std::string& content, std::string* error);
  bool ReplaceFile(const std::string& path, const std::string& content, std::string* error);
  bool AppendToFile(const std::string& path, const std::string& content, std::string* error);

 private:
  // The folder that holds the entry at path, and the entry's name in it.
  std::unique_ptr<Folder> HolderOf(const std::string& path, std::string& name, std::string* error);
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

// The regular files of one folder, sorted like Folder::List; empty when it cannot be read.
std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder);

// The file a chain of symbolic links at path leads to (its path, which need not exist yet);
// path itself when it is no link, or when the chain loops or cannot be read.
std::string FollowFileLinks(const std::string& path);

// Why the file at path cannot be read whole although an entry of that name is there (a folder,
// no access, a link that leads nowhere or round in a loop, a read error); empty when it reads
// or when nothing at all is there.
std::string UnreadableFileReason(FileSystem& fs, const std::string& path);

}  // namespace tarnwick
