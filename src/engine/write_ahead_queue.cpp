#include "engine/write_ahead_queue.h"

#include <algorithm>
#include <thread>

namespace tarnwick {
namespace {

constexpr std::size_t kMaxPendingActions = 256;
constexpr auto kMaxPendingTime = std::chrono::milliseconds(250);
// Folders the waiting copies may hold open between two flushes.
constexpr std::size_t kMaxHeldFolders = 64;

}  // namespace

WriteAheadQueue::WriteAheadQueue(FileSystem& fs, ChangeLog& log, RunResult& result, Clock clock)
    : fs_(fs), log_(log), result_(result), clock_(std::move(clock)) {}

void WriteAheadQueue::Start() { lastFlush_ = clock_(); }

void WriteAheadQueue::AddCopy(PendingAction copy) {
  // The folders the copies keep open are few.
  if (pending_.empty() || pending_.back().toFolder != copy.toFolder) {
    if (heldFolders_ >= kMaxHeldFolders) {
      copy.fromFolder.reset();
      copy.toFolder.reset();
    } else {
      ++heldFolders_;
    }
  }
  pending_.push_back(std::move(copy));
}

void WriteAheadQueue::AddDeletion(const std::string& path) {
  pending_.push_back(PendingAction{std::string(), path, nullptr, nullptr, false});
}

void WriteAheadQueue::DropHeldTargets() {
  for (PendingAction& action : pending_) action.toFolder.reset();
}

void WriteAheadQueue::MaybeFlush() {
  if (pending_.empty()) return;
  // Appends are cheap: they go out often. A flush that rewrites a long log waits until the
  // changes amount to an eighth of its lines, so the bytes written stay in proportion to
  // the changes rather than to the run's length times the log's size.
  const std::size_t rewriteLines = log_.PendingRewriteLines();
  if (rewriteLines > 0) {
    if (pending_.size() >= std::max(kMaxPendingActions, rewriteLines / 8)) Flush();
    return;
  }
  if (pending_.size() >= kMaxPendingActions || clock_() - lastFlush_ >= kMaxPendingTime) Flush();
}

bool WriteAheadQueue::Flush() {
  lastFlush_ = clock_();
  const bool ok = log_.Flush();
  std::vector<PendingAction> actions;
  actions.swap(pending_);
  heldFolders_ = 0;
  // An FTP web put in the place of the one these folders are in gets the copies by their
  // paths, as if no folder had been held.
  const bool held = std::any_of(actions.begin(), actions.end(),
                                [](const PendingAction& action) { return action.toFolder; });
  if (held && !(targetsCurrent_ && targetsCurrent_()))
    for (PendingAction& action : actions) action.toFolder.reset();
  std::vector<std::string> deletions;
  for (const PendingAction& action : actions) {
    if (!ok) {
      // Without its log line the change would be forgotten; the next run finds it again.
      result_.Fail(action.from.empty() ? "delete" : "copy", action.to,
                   "withheld because the change log could not be written");
    } else if (action.from.empty()) {
      deletions.push_back(action.to);
    } else {
      CopyNow(action);
    }
  }
  DeleteAll(deletions);
  return ok;
}

void WriteAheadQueue::CopyNow(const PendingAction& action) {
  std::string error;
  bool copied;
  if (action.fromFolder && action.toFolder) {
    const std::string name = action.to.substr(action.toFolder->Path().size() + 1);
    copied = action.toFolder->CopyFileFrom(*action.fromFolder, name, action.expectNew, &error);
  } else {
    copied = fs_.CopyFile(action.from, action.to, &error);
  }
  if (copied)
    ++result_.copied;
  else
    CopyFailed(action.from, action.to, error);
}

bool WriteAheadQueue::SourceVanished(const std::string& sourceFile) {
  return !fs_.LookUp(sourceFile) && !fs_.Inaccessible(sourceFile, nullptr);
}

void WriteAheadQueue::CopyFailed(const std::string& from, const std::string& to,
                                 const std::string& error) {
  // A source file that vanished since its look-up is neither copied nor reported, like one
  // that vanished since the scan. One that cannot be read is named itself.
  if (SourceVanished(from)) return;
  std::string reason;
  if (fs_.Inaccessible(from, &reason))
    result_.Fail("copy", from, reason);
  else
    result_.Fail("copy", to, error);
}

void WriteAheadQueue::DeleteNow(const std::string& path) {
  std::string error;
  if (fs_.DeleteFile(path, &error))
    ++result_.deleted;
  else
    result_.Fail("delete", path, error);
}

void WriteAheadQueue::DeleteAll(const std::vector<std::string>& paths) {
  constexpr std::size_t kThreads = 4;
  if (paths.size() < 2 * kThreads || !fs_.ConcurrentDeletes()) {
    for (const std::string& path : paths) DeleteNow(path);
    return;
  }
  // Side by side; the results are taken in order afterwards on this thread.
  std::vector<std::string> errors(paths.size());
  std::vector<char> done(paths.size(), 0);
  {
    std::vector<std::jthread> workers;
    for (std::size_t t = 0; t < kThreads; ++t) {
      workers.emplace_back([&, t] {
        for (std::size_t i = t; i < paths.size(); i += kThreads)
          done[i] = fs_.DeleteFile(paths[i], &errors[i]) ? 1 : 0;
      });
    }
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (done[i])
      ++result_.deleted;
    else
      result_.Fail("delete", paths[i], errors[i]);
  }
}

}  // namespace tarnwick
