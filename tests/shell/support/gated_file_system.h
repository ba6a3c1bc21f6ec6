#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "support/forwarding_file_system.h"

namespace tarnwick::testing {

// The machine's file system, except that a copy whose source path ends with the gate's name
// stops there until the test opens the gate: a copy that takes as long as the test wants.
class GatedFileSystem : public ForwardingFileSystem {
 public:
  explicit GatedFileSystem(std::string gatedName) : gatedName_(std::move(gatedName)) {}
  ~GatedFileSystem() override { Open(); }

  // True once a copy waits at the gate.
  bool Reached() const { return reached_; }

  void Open() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }

  bool Allow(FsOp op, const std::string& from, const std::string&, std::string*) override {
    if (op == FsOp::kCopyFile && from.ends_with(gatedName_)) {
      std::unique_lock lock(mutex_);
      reached_ = true;
      opened_.wait(lock, [this] { return open_; });
    }
    return true;
  }

 private:
  std::string gatedName_;
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  std::atomic<bool> reached_ = false;
};

}  // namespace tarnwick::testing
