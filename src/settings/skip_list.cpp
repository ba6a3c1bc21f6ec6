#include "settings/skip_list.h"

#include "base/text.h"

namespace tarnwick {

std::vector<std::string> ParseSkipList(const std::string& content) {
  // Notepad writes CR LF, Linux editors and "echo" LF, old Mac editors CR: all end a line.
  const std::string_view text = WithoutUtf8Mark(content);
  std::vector<std::string> entries;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') {
      current.push_back(c);
      continue;
    }
    entries.push_back(std::move(current));
    current.clear();
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
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

std::string SkipListProblem(const std::string& skipListFile, FileSystem& fs) {
  const std::string reason = UnreadableFileReason(fs, skipListFile);
  if (reason.empty()) return std::string();  // readable, or missing: nothing is skipped
  return "The skip list \"" + skipListFile + "\" exists but cannot be read (" + reason +
         "). Make it readable, or remove it to skip no files.";
}

}  // namespace tarnwick
