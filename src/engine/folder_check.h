#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick {

// The message shown when source and destination are the same folder.
inline constexpr const char* kSameFoldersMessage =
    "The Source and Destination directories are te same. Please choose a different Desination.";
inline constexpr const char* kSameFoldersTitle = "Change Destination";

enum class RefusalKind {
  kNone,
  kSameFolders,
  kEmptySource,
  kEmptyDestination,
  kSourceMissing,
  kNested,
  kUploadsInsideDestination,
  kDestinationParentMissing,
  kDestinationIsWeb,  // the destination holds FrontPage folders
  kUploadsFolder,     // the source or the destination is an FTP web's uploads folder
  kBusy,              // another run holds the FTP web or its uploads folder
  kUncheckable,       // the folders could not be told apart
  kUnwritable         // the FTP web or its uploads folder cannot be made or written
};

struct Refusal {
  RefusalKind kind = RefusalKind::kNone;
  std::string message;
  explicit operator bool() const { return kind != RefusalKind::kNone; }
};

// The checks made before anything is written: whether the web, the FTP web and its uploads
// folder can be converted into one another without harm. Which folder a path names, and
// whether one lies inside another, is decided by the file system's identities, not by texts.
// A check is used once.
class FolderCheck {
 public:
  FolderCheck(const std::string& source, const std::string& destination, FileSystem& fs);

  Refusal Run();

 private:
  Refusal CheckTexts() const;
  Refusal CheckSource();
  Refusal WalkDestination();
  Refusal WalkSourceAndUploads();
  Refusal CheckNesting() const;
  Refusal CheckOtherWebs();
  Refusal Uncheckable() const;
  // A folder and every folder above it; when the folder itself does not exist (or is no
  // folder), the folders above it only. False when even those cannot be walked.
  bool FolderOrParentChain(const std::string& folder, std::vector<FileIdentity>& chain,
                           bool& isFolder);
  std::string UploadsFolderOwner(const std::string& folder);
  std::string FrontPageFolderIn(const std::string& folder);

  const std::string source_;
  const std::string destination_;
  const std::string uploads_;
  FileSystem& fs_;
  std::string error_;
  FileIdentity sourceId_;
  std::vector<FileIdentity> sourceChain_, destChain_, uploadsChain_;
  bool destIsFolder_ = false;
  bool uploadsIsFolder_ = false;
};

}  // namespace tarnwick
