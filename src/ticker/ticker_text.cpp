#include "ticker/ticker_text.h"

#include <algorithm>
#include <cstddef>

#include "base/text.h"

namespace tarnwick {

namespace {

bool IsBlank(std::string_view line) { return TrimSpaces(line).empty(); }

bool ContainsStartMarker(std::string_view line) {
  if (line.size() < kTickerStartMarker.size()) return false;
  return LowerCase(line).find("'starts here'") != std::string::npos;
}

}  // namespace

bool TickerItem::HasLink() const { return !IsBlank(link); }

std::vector<std::string> SplitTickerLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, pos - start));
      pos += (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
      start = pos;
    } else {
      ++pos;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> TickerItemLines(std::string_view text) {
  const std::vector<std::string> lines = SplitTickerLines(text);
  std::vector<std::string> items;
  const auto marker = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return ContainsStartMarker(line);
  });
  if (marker == lines.end()) return items;

  // The closing line of the text is never an item: the last line, or when that one is blank
  // (the text ended with a line break of its own) the line before it.
  const std::size_t count = lines.size();
  std::size_t closing = count - 1;
  if (closing > 0 && IsBlank(lines[closing])) --closing;

  for (std::size_t i = static_cast<std::size_t>(marker - lines.begin()) + 1; i < count; ++i) {
    if (i == closing || IsBlank(lines[i])) continue;
    items.emplace_back(TrimSpaces(lines[i]));
  }
  return items;
}

TickerItem ParseTickerItem(std::string_view itemLine) {
  TickerItem item;
  const std::size_t caret = itemLine.find('^');
  std::string_view display = itemLine.substr(0, caret);
  if (caret != std::string_view::npos) item.link = std::string(itemLine.substr(caret + 1));
  if (!display.empty() && display.front() == '$') {
    item.highlighted = true;
    display.remove_prefix(1);
  }
  item.caption = std::string(display);
  return item;
}

std::vector<TickerItem> ParseTickerText(std::string_view text) {
  std::vector<TickerItem> items;
  for (const std::string& line : TickerItemLines(text)) items.push_back(ParseTickerItem(line));
  items.push_back(ParseTickerItem(kPauseItem));
  return items;
}

std::string TickerFilePath(const std::string& folder) {
  std::string path = folder;
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  path += kTickerFileName;
  return path;
}

std::optional<std::vector<TickerItem>> LoadTickerFile(FileSystem& fs, const std::string& path) {
  if (!fs.LookUp(path)) return std::nullopt;
  std::string content;
  if (!fs.ReadTextFile(path, content, nullptr)) content.clear();
  return ParseTickerText(content);
}

}  // namespace tarnwick
