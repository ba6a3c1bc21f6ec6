#include "settings/skip_list.h"

namespace tarnwick {

std::vector<std::string> ParseSkipList(const std::string& content) {
  std::vector<std::string> entries;
  std::string current;
  for (std::size_t i = 0; i < content.size(); ++i) {
    char c = content[i];
    if (c != '\r') {
      current.push_back(c);  // a lone LF belongs to the entry
      continue;
    }
    entries.push_back(std::move(current));
    current.clear();
    if (i + 1 < content.size() && content[i + 1] == '\n') ++i;
  }
  // Text after the last line end is one more entry; a file that ends with a line end has
  // nothing after it.
  if (!current.empty()) entries.push_back(std::move(current));
  return entries;
}

std::vector<std::string> LoadSkipList(const std::string& skipListFile, FileSystem& fs) {
  std::string content;
  if (!fs.ReadTextFile(skipListFile, content, nullptr)) return {};
  return ParseSkipList(content);
}

}  // namespace tarnwick
