#include "engine/write_ahead_queue.h"

#include <algorithm>
#include <thread>

#include "platform/open_file_limit.h"

namespace tarnwick {
namespace {

constexpr std::size_t kMaxPendingActions = 256;
constexpr auto kMaxPendingTime = std::chrono::milliseconds(250);
// Folders the waiting actions may hold open between two flushes, each with its source folder
// beside it; as many again may be opened for the deletions of one flush. Fewer where the
// process may open few descriptors: the run's other folders, logs and copies need some 64.
std::size_t MaxHeldFolders() {
  constexpr std::size_t kOthers = 64;
  const std::size_t limit = OpenFileLimit();
  return std::clamp<std::size_t>(limit > kOthers ? (limit - kOthers) / 3 : 0, 4, 64);
}

}  // namespace

WriteAheadQueue::WriteAheadQueue(FileSystem& fs, ChangeLog& log, RunResult& result, Clock clock)
    : fs_(fs),
      log_(log),
      result_(result),
      clock_(std::move(clock)),
      maxHeldFolders_(MaxHeldFolders()) {}

void WriteAheadQueue::SetRoots(std::shared_ptr<Folder> source, std::shared_ptr<Folder> dest) {
  sourceTree_.Reset(std::move(source));
  destTree_.Reset(std::move(dest));
}

void WriteAheadQueue::Start() { lastFlush_ = clock_(); }

void WriteAheadQueue::Hold(PendingAction& action) {
  // Actions come folder by folder: a new target folder is one more held.
  if (pending_.empty() || pending_.back().folder != action.folder) ++heldFolders_;
  if (heldFolders_ > maxHeldFolders_) {
    action.fromFolder.reset();
    action.toFolder.reset();
  }
}

void WriteAheadQueue::AddCopy(PendingAction copy) {
  Hold(copy);
  pending_.push_back(std::move(copy));
}

void WriteAheadQueue::AddDeletion(PendingAction deletion) {
  deletion.from.clear();
  deletion.fromFolder.reset();
  Hold(deletion);
  pending_.push_back(std::move(deletion));
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
  std::vector<PendingAction> actions;
  actions.swap(pending_);
  heldFolders_ = 0;
  // Nothing goes into an FTP web that another folder has replaced, not even the log lines.
  if (targetsCurrent_ && !targetsCurrent_()) return false;
  const bool ok = log_.Flush();
  std::vector<PendingAction*> deletions;
  std::size_t reopened = 0;  // folders opened again for the deletions gathered
  for (PendingAction& action : actions) {
    if (!ok) {
      // Without its log line the change would be forgotten; the next run finds it again.
      result_.Fail(action.from.empty() ? "delete" : "copy", action.to,
                   "withheld because the change log could not be written");
      continue;
    }
    const bool held = action.toFolder != nullptr;
    if (!Reopen(action)) continue;
    if (!action.from.empty()) {
      CopyNow(action);
      action = PendingAction();  // lets its folders go
      continue;
    }
    if (!held && (deletions.empty() || deletions.back()->folder != action.folder)) ++reopened;
    deletions.push_back(&action);
    if (reopened == maxHeldFolders_) {
      DeleteAll(deletions);
      reopened = 0;
    }
  }
  DeleteAll(deletions);
  sourceTree_.Release();
  destTree_.Release();
  return ok;
}

bool WriteAheadQueue::Reopen(PendingAction& action) {
  std::string error;
  if (!action.toFolder) {
    action.toFolder = destTree_.Open(action.folder, &error);
    if (!action.toFolder) {
      result_.Fail(action.from.empty() ? "delete" : "copy", action.to, error);
      return false;
    }
  }
  if (action.from.empty() || action.fromFolder) return true;
  bool absent = false;
  action.fromFolder = sourceTree_.Open(action.folder, &error, &absent);
  // A source folder that has gone took the file with it: as a file that vanished, unsaid.
  if (!action.fromFolder && !absent) result_.Fail("copy", action.from, error);
  return action.fromFolder != nullptr;
}

void WriteAheadQueue::CopyNow(const PendingAction& action) {
  std::string error;
  if (action.toFolder->CopyFileFrom(*action.fromFolder, action.name, action.expectNew, &error))
    ++result_.copied;
  else
    CopyFailed(action.fromFolder.get(), action.name, action.from, action.to, error);
}

bool WriteAheadQueue::SourceVanished(Folder& folder, const std::string& name) {
  return !folder.LookUp(name) && !folder.Inaccessible(name, nullptr);
}

void WriteAheadQueue::CopyFailed(Folder* from, const std::string& name,
                                 const std::string& fromPath, const std::string& to,
                                 const std::string& error) {
  // A source file that vanished since its look-up is neither copied nor reported, like one
  // that vanished since the scan. One that cannot be read is named itself.
  if (from && SourceVanished(*from, name)) return;
  std::string reason;
  if (from && from->Inaccessible(name, &reason))
    result_.Fail("copy", fromPath, reason);
  else
    result_.Fail("copy", to, error);
}

void WriteAheadQueue::DeleteNow(const PendingAction& action) {
  std::string error;
  if (action.toFolder->DeleteFile(action.name, &error))
    ++result_.deleted;
  else
    result_.Fail("delete", action.to, error);
}

void WriteAheadQueue::DeleteAll(std::vector<PendingAction*>& deletions) {
  constexpr std::size_t kThreads = 4;
  const std::size_t n = deletions.size();
  if (n < 2 * kThreads || !fs_.ConcurrentDeletes()) {
    for (const PendingAction* action : deletions) DeleteNow(*action);
  } else {
    // Side by side; the results are taken in order afterwards on this thread.
    std::vector<std::string> errors(n);
    std::vector<char> done(n, 0);
    {
      std::vector<std::jthread> workers;
      for (std::size_t t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
          for (std::size_t i = t; i < n; i += kThreads)
            done[i] = deletions[i]->toFolder->DeleteFile(deletions[i]->name, &errors[i]) ? 1 : 0;
        });
      }
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (done[i])
        ++result_.deleted;
      else
        result_.Fail("delete", deletions[i]->to, errors[i]);
    }
  }
  for (PendingAction* action : deletions) action->toFolder.reset();
  deletions.clear();
}

}  // namespace tarnwick
