#include "engine/folder_chain.h"

#include <algorithm>

namespace tarnwick {

FolderChain::FolderChain(RunResult& result, ReplaceFile replaceFile)
    : result_(result), replaceFile_(std::move(replaceFile)) {}

void FolderChain::Reset(std::shared_ptr<Folder> base) {
  valid_ = false;
  relative_ = WebPath();
  outcome_ = ChainOutcome::kFailed;
  chain_.clear();
  if (base) chain_.push_back(std::move(base));
  made_ = false;
}

ChainOutcome FolderChain::Fail(const std::string& path, const std::string& error) {
  result_.Fail("create folder", path, error);
  return outcome_;
}

ChainOutcome FolderChain::Ensure(const WebPath& relative) {
  if (valid_ && relative_ == relative) return outcome_;
  valid_ = true;
  outcome_ = ChainOutcome::kFailed;
  made_ = false;
  // Without its base the chain has nothing to start from; that failure is listed already.
  if (chain_.empty()) return outcome_;
  if (baseCurrent_ && !baseCurrent_()) return outcome_;
  // The folders this chain shares with the last one stay held.
  const std::size_t kept = std::min(relative_.CommonParts(relative), chain_.size() - 1);
  relative_ = relative;
  chain_.resize(kept + 1);
  const std::vector<std::string_view> names = relative.Parts();
  std::string error;
  for (std::size_t i = kept; i < names.size(); ++i) {
    const std::string name(names[i]);
    const std::shared_ptr<Folder> parent = chain_.back();
    const std::string path = parent->PathOf(name);
    bool made = false;
    if (!parent->CreateFolder(name, made, &error)) {
      // A page of an earlier run where the web now has a folder of that name.
      std::optional<FindEntry> there = parent->LookUp(name);
      if (!there || there->IsFolder()) return Fail(path, error);
      if (!replaceFile_) return outcome_ = ChainOutcome::kBlocked;
      if (!replaceFile_(parent, name)) return outcome_;
    }
    // Never entered through a link: a link to a folder put in the way would carry the copies
    // out of the FTP web.
    std::unique_ptr<Folder> child = parent->OpenFolder(name, &error);
    if (!child) return Fail(path, error);
    chain_.push_back(std::move(child));
    made_ = made;
  }
  return outcome_ = ChainOutcome::kMade;
}

}  // namespace tarnwick
