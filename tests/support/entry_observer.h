#pragma once

#include <cstddef>
#include <functional>
#include <utility>

#include "engine/conversion_run.h"

namespace tarnwick::testing {

// Acts once, when the run turns to the work entry of the given index: a test changes the disk
// at an exact moment of a run.
class EntryObserver : public RunObserver {
 public:
  EntryObserver(std::size_t index, std::function<void()> action)
      : index_(index), action_(std::move(action)) {}
  void EntrySelected(std::size_t index) override {
    if (index == index_ && action_) std::exchange(action_, nullptr)();
  }

 private:
  std::size_t index_;
  std::function<void()> action_;
};

}  // namespace tarnwick::testing
