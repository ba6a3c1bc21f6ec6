#include "engine/helpers.h"

namespace tarnwick {

int CompareWriteTimes(const FindEntry& a, const FindEntry& b) {
  if (a.lastWriteTime < b.lastWriteTime) return -1;
  if (a.lastWriteTime > b.lastWriteTime) return 1;
  return 0;
}

std::int64_t FileSizeOf(const FindEntry& entry) { return static_cast<std::int64_t>(entry.size); }

}  // namespace tarnwick
