#include "rules/file_compare.h"

namespace tarnwick {

bool SameWriteTime(const FindEntry& source, const FindEntry& copy, std::int64_t copyTimeStep) {
  if (source.lastWriteTime == copy.lastWriteTime) return true;
  if (copyTimeStep <= 1 || copy.lastWriteTime % copyTimeStep != 0) return false;
  const std::int64_t difference = source.lastWriteTime - copy.lastWriteTime;
  return difference < copyTimeStep && difference > -copyTimeStep;
}

std::int64_t FileSizeOf(const FindEntry& entry) { return static_cast<std::int64_t>(entry.size); }

}  // namespace tarnwick
