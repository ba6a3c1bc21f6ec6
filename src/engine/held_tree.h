#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/web_path.h"
#include "platform/folder.h"

namespace tarnwick {

// The folders of one tree that a run holds: each is opened from the one above it, starting at
// the root the run opened, never through a link and never onto another mount. Files come
// folder by folder, so the last chain stays held and a walk to the next folder opens only the
// names that differ; only that chain is held, so the descriptors stay as few as the depth.
class HeldTree {
 public:
  HeldTree() = default;
  explicit HeldTree(std::shared_ptr<Folder> root) { Reset(std::move(root)); }

  // Forgets every folder held and takes root (null: the tree could not be opened).
  void Reset(std::shared_ptr<Folder> root);
  // Lets go of every folder but the root.
  void Release();
  const std::shared_ptr<Folder>& Root() const { return root_; }

  // The folder at relative; null with the reason when it cannot be opened. absent then tells
  // whether nothing is there (or a file), rather than a folder that cannot be opened.
  std::shared_ptr<Folder> Open(const WebPath& relative, std::string* error,
                               bool* absent = nullptr);

 private:
  std::shared_ptr<Folder> root_;
  WebPath relative_;
  // The root, then each folder of relative_ opened so far.
  std::vector<std::shared_ptr<Folder>> chain_;
};

}  // namespace tarnwick
