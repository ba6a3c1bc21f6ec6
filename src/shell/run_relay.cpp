#include "shell/run_relay.h"

#include <utility>

namespace tarnwick {

void RunRelay::StatusChanged(const std::string& text) {
  const std::lock_guard lock(mutex_);
  news_.status = text;
}

void RunRelay::EntryAdded(const std::string& entry) {
  const std::lock_guard lock(mutex_);
  news_.entries.push_back(entry);
}

void RunRelay::EntrySelected(std::size_t index) {
  const std::lock_guard lock(mutex_);
  news_.selection = index;
  lastSelected_ = index;
}

void RunRelay::Yield() {
  const std::lock_guard lock(mutex_);
  if (lastSelected_) news_.done = *lastSelected_ + 1;
}

RunRelay::News RunRelay::Take() {
  const std::lock_guard lock(mutex_);
  return std::exchange(news_, News{});
}

}  // namespace tarnwick
