#pragma once

#include <cstdint>

#include "base/path.h"
#include "base/text.h"
#include "platform/find_entry.h"

namespace tarnwick {

// Whether a copy's last-write time stands for its source's, given the step in nanoseconds in
// which the copy's file system keeps times (TimeStepOf). Equal times always do. Where the
// step is coarser than a nanosecond, a copy time that lies on the step and differs from the
// source's by less than one step does too: the file system cut it (ext2 with small inodes
// keeps whole seconds) or rounded it (FAT keeps every other second), in either direction.
bool SameWriteTime(const FindEntry& source, const FindEntry& copy, std::int64_t copyTimeStep);

// The entry's true size.
std::int64_t FileSizeOf(const FindEntry& entry);

}  // namespace tarnwick
