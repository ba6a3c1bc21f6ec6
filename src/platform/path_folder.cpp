#include "platform/path_folder.h"

namespace tarnwick {

std::optional<FindEntry> PathFolder::LookUp(const std::string& name) {
  return fs_.LookUp(PathOf(name));
}

bool PathFolder::Inaccessible(const std::string& name, std::string* reason) {
  return fs_.Inaccessible(PathOf(name), reason);
}

bool PathFolder::CreateFolder(const std::string& name, bool& made, std::string* error) {
  // Without a way to tell, the folder counts as found: its entries are then looked up.
  made = false;
  return fs_.CreateFolder(PathOf(name), error);
}

std::unique_ptr<Folder> PathFolder::OpenFolder(const std::string& name, std::string* error) {
  const std::string path = PathOf(name);
  // LookUp does not follow a link to a folder: such a link finds nothing.
  std::optional<FindEntry> there = fs_.LookUp(path);
  if (!there || !there->IsFolder()) {
    if (error) *error = "a link or other entry is in the way";
    return nullptr;
  }
  return std::make_unique<PathFolder>(fs_, path);
}

bool PathFolder::CopyFileFrom(Folder& from, const std::string& name, bool /*expectNew*/,
                              std::string* error) {
  return fs_.CopyFile(from.PathOf(name), PathOf(name), error);
}

}  // namespace tarnwick
