#pragma once

#include <cstdint>

#include "base/path.h"
#include "base/text.h"
#include "platform/find_entry.h"

namespace tarnwick {

// -1, 0 or 1 as a's last-write time is earlier than, equal to or later than b's.
int CompareWriteTimes(const FindEntry& a, const FindEntry& b);

// The entry's true size.
std::int64_t FileSizeOf(const FindEntry& entry);

}  // namespace tarnwick
