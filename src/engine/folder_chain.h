#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/web_path.h"
#include "engine/run_result.h"
#include "platform/file_system.h"

namespace tarnwick {

// The folder at path, held open where the file system can; one that cannot be held is named
// by its path, so everything in it fails or succeeds as it would by itself.
std::shared_ptr<Folder> OpenFolderOrPath(FileSystem& fs, const std::string& path);

enum class ChainOutcome { kMade, kFailed, kBlocked };

// The folders of a path below a base folder (the FTP web or its uploads folder), made where
// missing and held open, each entered from the one above it. Entries come folder by folder,
// so the last chain is remembered: its folders are made once for every file in them, and a
// folder that cannot be made is reported once.
class FolderChain {
 public:
  // Makes way for a folder where a file of that path is in the way; without it, such a file
  // stays and the chain is blocked.
  using ReplaceFile = std::function<bool(const std::string& path)>;

  FolderChain(FileSystem& fs, RunResult& result, ReplaceFile replaceFile = nullptr);

  // Forgets every folder held and takes base for the chains to come.
  void Reset(const std::string& base);
  // Told when the base held open is no longer the folder base names.
  void OnBaseReplaced(std::function<void()> notify) { onBaseReplaced_ = std::move(notify); }

  ChainOutcome Ensure(const WebPath& relative);
  // The last folder of the chain made; only after Ensure answered kMade.
  const std::shared_ptr<Folder>& Last() const { return chain_.back(); }
  // Whether that folder was made by the last Ensure itself, so that nothing can be in it.
  bool MadeLast() const { return made_; }
  // Whether the chain's first folder is held open and still the one base names.
  bool BaseIsCurrent() const;

 private:
  ChainOutcome Fail(const std::string& path, const std::string& error);

  FileSystem& fs_;
  RunResult& result_;
  ReplaceFile replaceFile_;
  std::function<void()> onBaseReplaced_;
  std::string base_;
  bool valid_ = false;
  WebPath relative_;
  ChainOutcome outcome_ = ChainOutcome::kFailed;
  // The base folder, then each folder of relative_ made so far, held open.
  std::vector<std::shared_ptr<Folder>> chain_;
  bool made_ = false;
};

}  // namespace tarnwick
