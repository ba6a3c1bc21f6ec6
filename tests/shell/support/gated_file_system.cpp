#include "support/gated_file_system.h"

namespace tarnwick::testing {

void GatedFileSystem::Open() {
  const std::lock_guard lock(mutex_);
  open_ = true;
  opened_.notify_all();
}

bool GatedFileSystem::CopyFile(const std::string& from, const std::string& to, std::string* error) {
  if (from.size() >= gatedName_.size() &&
      from.compare(from.size() - gatedName_.size(), gatedName_.size(), gatedName_) == 0) {
    std::unique_lock lock(mutex_);
    reached_ = true;
    opened_.wait(lock, [this] { return open_; });
  }
  return inner_.CopyFile(from, to, error);
}

}  // namespace tarnwick::testing
