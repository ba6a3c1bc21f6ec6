#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/web_path.h"
#include "engine/run_result.h"
#include "platform/file_system.h"

namespace tarnwick {

enum class ChainOutcome { kMade, kFailed, kBlocked };

// The folders of a path below a base folder (the FTP web or its uploads folder, held by the
// run), made where missing and held open, each entered from the one above it. Entries come
// folder by folder, so the last chain is remembered: its folders are made once for every file
// in them, and a folder that cannot be made is reported once.
class FolderChain {
 public:
  // Makes way for a folder where a file name of parent is in the way; without it, such a
  // file stays and the chain is blocked.
  using ReplaceFile =
      std::function<bool(const std::shared_ptr<Folder>& parent, const std::string& name)>;

  explicit FolderChain(RunResult& result, ReplaceFile replaceFile = nullptr);

  // Forgets every folder held and takes base for the chains to come (null: it could not be
  // opened, a failure the caller has listed).
  void Reset(std::shared_ptr<Folder> base);
  // Asked before each new chain whether the base held may still be written; when not, no
  // chain is made (the asker lists why).
  void CheckBaseWith(std::function<bool()> baseCurrent) { baseCurrent_ = std::move(baseCurrent); }

  ChainOutcome Ensure(const WebPath& relative);
  // The last folder of the chain made; only after Ensure answered kMade.
  const std::shared_ptr<Folder>& Last() const { return chain_.back(); }
  // Whether that folder was made by the last Ensure itself, so that nothing can be in it.
  bool MadeLast() const { return made_; }

 private:
  ChainOutcome Fail(const std::string& path, const std::string& error);

  RunResult& result_;
  ReplaceFile replaceFile_;
  std::function<bool()> baseCurrent_;
  bool valid_ = false;
  WebPath relative_;
  ChainOutcome outcome_ = ChainOutcome::kFailed;
  // The base folder, then each folder of relative_ made so far, held open.
  std::vector<std::shared_ptr<Folder>> chain_;
  bool made_ = false;
};

}  // namespace tarnwick
