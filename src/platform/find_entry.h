#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// Attribute bits, with the values the old enumeration used so stored habits carry over.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrNormal = 0x80;

// One directory entry. Sizes are 64-bit; times are nanoseconds since the Unix epoch.
struct FindEntry {
  std::uint32_t attributes = 0;
  std::int64_t creationTime = 0;
  std::int64_t lastAccessTime = 0;
  std::int64_t lastWriteTime = 0;
  std::uint64_t size = 0;
  std::string name;  // the long name, without folder

  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
};

}  // namespace tarnwick
