#include "engine/held_tree.h"

#include <algorithm>

namespace tarnwick {

void HeldTree::Reset(std::shared_ptr<Folder> root) {
  root_ = std::move(root);
  Release();
}

void HeldTree::Release() {
  relative_ = WebPath();
  chain_.clear();
  if (root_) chain_.push_back(root_);
}

std::shared_ptr<Folder> HeldTree::Open(const WebPath& relative, std::string* error,
                                       bool* absent) {
  if (absent) *absent = false;
  if (!root_) {
    if (error) *error = "the folder could not be opened";
    return nullptr;
  }
  const std::vector<std::string_view> names = relative.Parts();
  const std::size_t kept = std::min(relative_.CommonParts(relative), chain_.size() - 1);
  chain_.resize(kept + 1);
  relative_ = relative;
  for (std::size_t i = kept; i < names.size(); ++i) {
    const std::string name(names[i]);
    Folder& parent = *chain_.back();
    std::unique_ptr<Folder> child = parent.OpenFolder(name, error);
    if (!child) {
      if (absent) {
        std::optional<FindEntry> there = parent.LookUp(name);
        *absent = there ? !there->IsFolder() : !parent.Inaccessible(name, nullptr);
      }
      return nullptr;
    }
    chain_.push_back(std::move(child));
  }
  return chain_.back();
}

}  // namespace tarnwick
