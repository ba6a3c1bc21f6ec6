#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "check/site_check.h"
#include "engine/conversion_run.h"

namespace tarnwick {

// What a run beside the window reports, and the site check after it, kept until the window
// takes it: they call in on their own thread, the window collects at the screen's rate on its.
class RunRelay : public RunObserver, public CheckObserver {
 public:
  // What came in since the last Take.
  struct News {
    std::vector<std::string> entries;
    std::optional<std::string> status;
    std::optional<std::size_t> selection;
    // Files of the work list that the copy has done.
    std::optional<std::size_t> done;
  };

  void StatusChanged(const std::string& text) override;
  void EntryAdded(const std::string& entry) override;
  void EntrySelected(std::size_t index) override;
  // The copy yields once a file is done; the scan and the check never select one.
  void Yield() override;
  bool CancelRequested() override { return cancelRequested_; }

  // Ends the run after the file in progress.
  void RequestCancel() { cancelRequested_ = true; }
  News Take();

 private:
  std::mutex mutex_;
  News news_;
  std::optional<std::size_t> lastSelected_;
  std::atomic<bool> cancelRequested_ = false;
};

}  // namespace tarnwick
