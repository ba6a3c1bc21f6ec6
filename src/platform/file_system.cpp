#include "platform/file_system.h"

namespace tarnwick {

std::string ReplaceTempPrefix(const std::string& fileName) { return "." + fileName + ".tmp"; }

std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder) {
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return {};
  return std::move(listing.files);
}

}  // namespace tarnwick
