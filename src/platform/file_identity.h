#pragma once

#include <cstdint>

namespace tarnwick {

// Which file or folder an entry is, as the file system knows it: device and inode number on
// POSIX, volume serial number and file index on Windows. Two paths name one folder exactly
// when their identities are equal, whatever their texts; links, "..", bind mounts and names
// that differ in case cannot hide that.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;

  bool operator==(const FileIdentity&) const = default;
};

}  // namespace tarnwick
