// extras.db as a user's editor may leave it: every line is one entry, and writing the entries
// back one per line (behind a byte-order mark, which is no part of them) gives the same list
// again.

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"
#include "fuzz_check.h"
#include "memory_file_system.h"
#include "settings/skip_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> entries = tarnwick::ParseSkipList(content);
  std::string written(tarnwick::kUtf8Mark);
  for (const std::string& entry : entries) {
    FUZZ_CHECK(entry.find('\r') == std::string::npos && entry.find('\n') == std::string::npos);
    written += entry + "\r\n";
  }
  FUZZ_CHECK(tarnwick::ParseSkipList(written) == entries);
  tarnwick::fuzzing::MemoryFileSystem fs;
  fs.files["/p/extras.db"] = content;
  FUZZ_CHECK(tarnwick::LoadSkipList("/p/extras.db", fs) == entries);
  return 0;
}
