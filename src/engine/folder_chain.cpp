#include "engine/folder_chain.h"

#include <algorithm>

#include "platform/path_folder.h"

namespace tarnwick {

std::shared_ptr<Folder> OpenFolderOrPath(FileSystem& fs, const std::string& path) {
  std::shared_ptr<Folder> folder = fs.OpenFolder(path, nullptr);
  if (!folder) folder = std::make_shared<PathFolder>(fs, path);
  return folder;
}

FolderChain::FolderChain(FileSystem& fs, RunResult& result, ReplaceFile replaceFile)
    : fs_(fs), result_(result), replaceFile_(std::move(replaceFile)) {}

void FolderChain::Reset(const std::string& base) {
  base_ = base;
  valid_ = false;
  relative_ = WebPath();
  outcome_ = ChainOutcome::kFailed;
  chain_.clear();
  made_ = false;
}

bool FolderChain::BaseIsCurrent() const {
  FileIdentity held, now;
  return !chain_.empty() && chain_.front()->HeldIdentity(held) &&
         fs_.FolderIdentity(base_, now, nullptr) && now == held;
}

ChainOutcome FolderChain::Fail(const std::string& path, const std::string& error) {
  result_.Fail("create folder", path, error);
  return outcome_;
}

ChainOutcome FolderChain::Ensure(const WebPath& relative) {
  if (valid_ && relative_ == relative) return outcome_;
  const std::vector<std::string_view> names = relative.Parts();
  // The folders this chain shares with the last one stay held, as long as the base is still
  // the folder that was opened: one put in its place is taken as it is now.
  std::size_t kept = 0;
  if (!chain_.empty()) {
    // Folders named by path are made and looked at again each time, as they may have gone.
    if (!BaseIsCurrent()) {
      chain_.clear();
      if (onBaseReplaced_) onBaseReplaced_();
    }
    if (!chain_.empty()) kept = std::min(relative_.CommonParts(relative), chain_.size() - 1);
  }
  valid_ = true;
  relative_ = relative;
  outcome_ = ChainOutcome::kFailed;
  made_ = false;
  std::string error;
  if (chain_.empty()) {
    if (!fs_.CreateFolder(base_, &error)) return Fail(base_, error);
    chain_.push_back(OpenFolderOrPath(fs_, base_));
  }
  chain_.resize(kept + 1);
  for (std::size_t i = kept; i < names.size(); ++i) {
    const std::string name(names[i]);
    Folder& parent = *chain_.back();
    const std::string path = parent.PathOf(name);
    bool made = false;
    if (!parent.CreateFolder(name, made, &error)) {
      // A page of an earlier run where the web now has a folder of that name.
      std::optional<FindEntry> there = parent.LookUp(name);
      if (!there || there->IsFolder()) return Fail(path, error);
      if (!replaceFile_) return outcome_ = ChainOutcome::kBlocked;
      if (!replaceFile_(path)) return outcome_;
    }
    // Never entered through a link: a link to a folder put in the way would carry the copies
    // out of the FTP web.
    std::unique_ptr<Folder> child = parent.OpenFolder(name, &error);
    if (!child) return Fail(path, error);
    chain_.push_back(std::move(child));
    made_ = made;
  }
  return outcome_ = ChainOutcome::kMade;
}

}  // namespace tarnwick
