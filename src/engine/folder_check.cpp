#include "engine/folder_check.h"

#include <algorithm>
#include <optional>

#include "base/path.h"
#include "base/text.h"
#include "rules/ftp_web_names.h"
#include "rules/web_folders.h"

namespace tarnwick {
namespace {

bool Contains(const std::vector<FileIdentity>& chain, const FileIdentity& identity) {
  return std::find(chain.begin(), chain.end(), identity) != chain.end();
}

Refusal Refuse(RefusalKind kind, std::string message) { return Refusal{kind, std::move(message)}; }

}  // namespace

FolderCheck::FolderCheck(const std::string& source, const std::string& destination, FileSystem& fs)
    : source_(source), destination_(destination), uploads_(destination + kUploadsSuffix), fs_(fs) {}

Refusal FolderCheck::Run() {
  if (Refusal refusal = CheckTexts()) return refusal;
  if (Refusal refusal = CheckSource()) return refusal;
  if (Refusal refusal = WalkDestination()) return refusal;
  if (Refusal refusal = WalkSourceAndUploads()) return refusal;
  if (Refusal refusal = CheckNesting()) return refusal;
  return CheckOtherWebs();
}

Refusal FolderCheck::CheckTexts() const {
  if (TrimSpaces(source_).empty())
    return Refuse(RefusalKind::kEmptySource, "Please choose the FrontPage web to convert.");
  if (TrimSpaces(destination_).empty())
    return Refuse(RefusalKind::kEmptyDestination,
                  "Please choose the destination folder for the FTP web.");
  // Where names that differ only in case may be two folders, the identities decide.
  if (NameKey(source_) == NameKey(destination_))
    return Refuse(RefusalKind::kSameFolders, kSameFoldersMessage);
  return Refusal{};
}

Refusal FolderCheck::CheckSource() {
  if (fs_.FolderIdentity(source_, sourceId_, &error_)) return Refusal{};
  std::optional<FindEntry> entry = fs_.LookUp(source_);
  if ((entry && entry->IsFolder()) || (!entry && fs_.Inaccessible(source_, nullptr)))
    return Refuse(RefusalKind::kSourceMissing,
                  "The FrontPage web \"" + source_ + "\" cannot be read: " + error_ + ".");
  return Refuse(RefusalKind::kSourceMissing,
                "The FrontPage web \"" + source_ + "\" does not exist or is not a folder.");
}

Refusal FolderCheck::WalkDestination() {
  if (!FolderOrParentChain(destination_, destChain_, destIsFolder_)) {
    // Only the destination itself is created; a mistyped parent would otherwise leave a run
    // that copies nothing.
    const std::string parent = ParentText(destination_);
    std::optional<FindEntry> parentEntry = fs_.LookUp(parent);
    if (fs_.Inaccessible(parent, nullptr) || (parentEntry && parentEntry->IsFolder()))
      return Uncheckable();
    return Refuse(RefusalKind::kDestinationParentMissing,
                  "The folder \"" + parent + "\" that should hold the destination does not exist.");
  }
  if (destIsFolder_ && destChain_.front() == sourceId_)
    return Refuse(RefusalKind::kSameFolders, kSameFoldersMessage);
  // A root ends with its separator and has no other name: it is refused as the folder that
  // holds the web.
  if (EndsWithSeparator(destination_) && StripTrailingSeparators(destination_) != destination_)
    return Refuse(RefusalKind::kUploadsInsideDestination,
                  "The destination \"" + destination_ +
                      "\" ends with a folder separator, so its uploads folder would lie inside "
                      "the FTP web and be swept away. Please remove the separator at the end.");
  return Refusal{};
}

Refusal FolderCheck::WalkSourceAndUploads() {
  if (!fs_.FolderAncestry(source_, sourceChain_, &error_) ||
      !FolderOrParentChain(uploads_, uploadsChain_, uploadsIsFolder_))
    return Uncheckable();
  if (uploadsIsFolder_ && uploadsChain_.front() == sourceId_)
    return Refuse(RefusalKind::kUploadsFolder,
                  "The FrontPage web \"" + source_ + "\" is the uploads folder of the FTP web \"" +
                      destination_ + "\". Please choose the FrontPage web itself.");
  return Refusal{};
}

Refusal FolderCheck::CheckNesting() const {
  if (Contains(destChain_, sourceId_) || Contains(uploadsChain_, sourceId_))
    return Refuse(RefusalKind::kNested,
                  "The destination \"" + destination_ +
                      "\" or its uploads folder lies inside the FrontPage web. The FTP web would "
                      "be copied into itself. Please choose a folder outside the web.");
  if ((destIsFolder_ && Contains(sourceChain_, destChain_.front())) ||
      (uploadsIsFolder_ && Contains(sourceChain_, uploadsChain_.front())))
    return Refuse(RefusalKind::kNested,
                  "The FrontPage web \"" + source_ +
                      "\" lies inside the destination or its uploads folder, where the sweep "
                      "would remove it. Please choose a destination outside the web.");
  if ((destIsFolder_ && Contains(uploadsChain_, destChain_.front())) ||
      (uploadsIsFolder_ && Contains(destChain_, uploadsChain_.front())))
    return Refuse(RefusalKind::kUploadsInsideDestination,
                  "The uploads folder \"" + uploads_ + "\" and the destination \"" + destination_ +
                      "\" lie one inside the other, so the uploads would be swept away or "
                      "copied into the FTP web. Please choose another destination.");
  return Refusal{};
}

Refusal FolderCheck::CheckOtherWebs() {
  if (std::string owner = UploadsFolderOwner(source_); !owner.empty())
    return Refuse(RefusalKind::kUploadsFolder,
                  "The FrontPage web \"" + source_ + "\" is the uploads folder of the FTP web \"" +
                      owner + "\". Please choose the FrontPage web itself.");
  if (std::string owner = UploadsFolderOwner(destination_); !owner.empty())
    return Refuse(RefusalKind::kUploadsFolder,
                  "The destination \"" + destination_ +
                      "\" is the uploads folder of the FTP web \"" + owner +
                      "\". Converting into it would delete its files and replace its change "
                      "log. Please choose another destination.");
  if (!destIsFolder_) return Refusal{};
  if (std::string found = FrontPageFolderIn(destination_); !found.empty())
    return Refuse(RefusalKind::kDestinationIsWeb,
                  "The destination \"" + destination_ +
                      "\" is a FrontPage web: it holds the folder \"" + found +
                      "\". Converting into it would delete its files. Please choose another "
                      "destination.");
  return Refusal{};
}

Refusal FolderCheck::Uncheckable() const {
  return Refuse(RefusalKind::kUncheckable,
                "The folders \"" + source_ + "\" and \"" + destination_ +
                    "\" cannot be told apart: " + error_ +
                    ". Nothing was converted; please try again when both can be reached.");
}

bool FolderCheck::FolderOrParentChain(const std::string& folder, std::vector<FileIdentity>& chain,
                                      bool& isFolder) {
  isFolder = fs_.FolderAncestry(folder, chain, &error_);
  if (isFolder) return true;
  // Passed over only when no folder is there: one that cannot be walked might be anywhere. One
  // made just now (by another run) is walked again.
  std::optional<FindEntry> entry = fs_.LookUp(folder);
  if (entry && entry->IsFolder()) return isFolder = fs_.FolderAncestry(folder, chain, &error_);
  if (!entry && fs_.Inaccessible(folder, nullptr)) return false;
  return fs_.FolderAncestry(ParentText(folder), chain, &error_);
}

// The FTP web whose uploads folder this is: the name ends in the uploads suffix and the
// folder without that ending exists beside it. A FrontPage web of such a name is one only where
// a change log at the top of either folder tells of an FTP web, for no run puts a "_vti" or
// "_private" folder with files of its own into an uploads folder. Empty when it is none.
std::string FolderCheck::UploadsFolderOwner(const std::string& folder) {
  const std::string text = StripTrailingSeparators(folder);
  const std::string suffix = kUploadsSuffix;
  if (text.size() <= suffix.size() ||
      !EqualsNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix))
    return std::string();
  const std::string owner = text.substr(0, text.size() - suffix.size());
  if (IsPathSeparator(owner.back())) return std::string();
  std::optional<FindEntry> entry = fs_.LookUp(owner);
  FileIdentity identity;
  if (!(entry && entry->IsFolder()) && !fs_.FolderIdentity(owner, identity, nullptr))
    return std::string();
  const auto holdsLog = [this](const std::string& folder) {
    return fs_.LookUp(AddBackslash(folder) + kLogName) ||
           fs_.Inaccessible(AddBackslash(folder) + kLogName, nullptr);
  };
  if (!FrontPageFolderIn(text).empty() && !holdsLog(owner) && !holdsLog(text)) return std::string();
  return owner;
}

// A folder at the top of a folder holding the extensions' own data ("_vti", "_private") with
// files of its own: the folder is a FrontPage web, for no run ever copies such a folder's own
// files (its clean sub-folders are copied, so the folder itself may stand in an FTP web).
// Files at the top do not count (a web's own "_vti_inf.html" is copied into its FTP web), nor
// do "_borders", "_overlay" and "_fpclass", which may keep what the pages use. A folder that
// cannot be read counts: nothing is deleted on a guess.
std::string FolderCheck::FrontPageFolderIn(const std::string& folder) {
  FolderListing listing;
  if (!fs_.ReadFolder(folder, listing, nullptr)) return std::string();
  for (const std::string& name : listing.folders) {
    if (!IsPrivateFolder(name)) continue;
    FolderListing inside;
    if (!fs_.ReadFolder(AddBackslash(folder) + name, inside, nullptr) || !inside.files.empty())
      return name;
  }
  return std::string();
}

}  // namespace tarnwick
