#include "platform/file_system.h"

#include "platform/path_folder.h"

namespace tarnwick {

std::string ReplaceTempPrefix(const std::string& fileName) { return "." + fileName + ".tmp"; }

bool IsReplaceTempName(const std::string& name, const std::string& fileName) {
  const std::string prefix = ReplaceTempPrefix(fileName);
  // The writers add up to nine digits.
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

std::int64_t TimeStepOf(std::int64_t storedTime) {
  if (storedTime == kProbeWriteTime) return 1;
  // The probe's time lies on none of these steps, so the coarsest one the stored time lies on
  // is the one the file system cut or rounded it to.
  constexpr std::int64_t kSteps[] = {2000000000, 1000000000, 10000000, 1000000, 1000, 100, 10};
  for (std::int64_t step : kSteps)
    if (storedTime % step == 0) return step;
  return 1;
}

std::unique_ptr<Folder> FileSystem::OpenFolder(const std::string& path, std::string* /*error*/) {
  return std::make_unique<PathFolder>(*this, path);
}

std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder) {
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return {};
  return std::move(listing.files);
}

}  // namespace tarnwick
