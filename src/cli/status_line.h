#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

#include "check/site_check.h"
#include "engine/conversion_run.h"

namespace tarnwick {

// Shows the run's status as one terminal line rewritten in place, or nothing at all when
// standard error is not a terminal (a log file must not fill with progress). The pages read
// for the files they use during the run show in it too.
class StatusLine : public RunObserver, public CheckObserver {
 public:
  StatusLine(std::ostream& err, bool enabled, int columns);

  void StatusChanged(const std::string& text) override;
  void Yield() override;
  bool CancelRequested() override;

  // Blanks the line so that what follows starts on a clean one.
  void Clear();

 private:
  void Show(const std::string& text);

  std::ostream& err_;
  bool enabled_;
  std::size_t width_;
  std::size_t shownLength_ = 0;
  std::string pending_;  // the latest text not yet shown
  bool hasPending_ = false;
  std::chrono::steady_clock::time_point lastShown_{};
};

}  // namespace tarnwick
