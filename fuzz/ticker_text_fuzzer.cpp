// The ticker text as the server or a damaged ticker.db may hold it: loading never fails,
// always ends with the pause item, and no item holds a line break.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "memory_file_system.h"
#include "ticker/ticker_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<tarnwick::TickerItem> items = tarnwick::ParseTickerText(text);
  FUZZ_CHECK(!items.empty());
  FUZZ_CHECK(items.back() == tarnwick::ParseTickerItem(tarnwick::kPauseItem));
  std::size_t lines = tarnwick::SplitTickerLines(text).size();
  FUZZ_CHECK(items.size() <= lines + 1);
  for (const tarnwick::TickerItem& item : items) {
    FUZZ_CHECK(item.caption.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(item.link.find_first_of("\r\n") == std::string::npos);
  }
  // The stored file gives the same list as the text itself.
  tarnwick::fuzzing::MemoryFileSystem fs;
  fs.files["/p/ticker.db"] = text;
  auto loaded = tarnwick::LoadTickerFile(fs, "/p/ticker.db");
  FUZZ_CHECK(loaded.has_value() && *loaded == items);
  return 0;
}
