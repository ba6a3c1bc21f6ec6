#include "support/web_check.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tarnwick::testing {

namespace {

bool HasExtensionWord(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  static const std::array<const char*, 5> kWords = {"_vti", "_private", "_fpclass", "_borders",
                                                    "_overlay"};
  for (const char* word : kWords)
    if (name.find(word) != std::string::npos) return true;
  return false;
}

void Walk(const fs::path& folder, const std::string& relative, bool keepFiles, bool ftpRules,
          std::map<std::string, std::string>& out) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string childRelative = relative.empty() ? name : relative + "/" + name;
    fs::file_status link = it->symlink_status(ec);
    if (fs::is_directory(link)) {
      if (ftpRules && name[0] == '.') continue;
      Walk(it->path(), childRelative, !ftpRules || !HasExtensionWord(name), ftpRules, out);
    } else if (keepFiles && fs::is_regular_file(it->status(ec))) {
      out[childRelative] = ReadFile(it->path().string());
    }
  }
}

}  // namespace

std::map<std::string, std::string> TreeContents(const std::string& root) {
  std::map<std::string, std::string> out;
  Walk(root, "", true, false, out);
  return out;
}

std::map<std::string, std::string> ExpectedFtpWeb(const std::string& source) {
  std::map<std::string, std::string> out;
  Walk(source, "", true, true, out);
  return out;
}

bool StrictProfile::Has(const std::string& section, const std::string& key) const {
  auto s = sections.find(section);
  return s != sections.end() && s->second.count(key) != 0;
}

std::string StrictProfile::Value(const std::string& section, const std::string& key) const {
  auto s = sections.find(section);
  if (s == sections.end()) return std::string();
  auto k = s->second.find(key);
  return k == s->second.end() ? std::string() : k->second;
}

StrictProfile ReadStrictProfile(const std::string& path) {
  StrictProfile profile;
  if (!Exists(path)) return profile;
  const std::string text = ReadFile(path);
  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
  };
  std::string section;
  bool inSection = false;
  std::size_t pos = 0;
  int lineNumber = 0;
  while (pos < text.size()) {
    ++lineNumber;
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      profile.problem = "line " + std::to_string(lineNumber) + " has no CR LF: a torn end";
      return profile;
    }
    std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    if (line.find_first_of("\r\n") != std::string::npos) {
      profile.problem = "line " + std::to_string(lineNumber) + " holds a lone line break";
    } else if (!line.empty() && line.front() == '[' && line.back() == ']') {
      section = lower(line.substr(1, line.size() - 2));
      inSection = true;
      profile.sections[section];
    } else if (std::size_t eq = line.find('='); inSection && eq != std::string::npos && eq > 0) {
      profile.sections[section].emplace(lower(line.substr(0, eq)), line.substr(eq + 1));
    } else {
      profile.problem = "line " + std::to_string(lineNumber) + " is not well formed: " + line;
    }
    if (!profile.problem.empty()) return profile;
  }
  return profile;
}

std::vector<std::string> LeftoverTempFiles(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() > 1 && name[0] == '.' && name.find(".tmp") != std::string::npos)
      out.push_back(name);
  }
  return out;
}

WebBuilder::WebBuilder(std::string root, std::uint32_t seed)
    : root_(std::move(root)), random_(seed) {}

std::string WebBuilder::Write(const std::string& relative, std::size_t size) {
  std::string content;
  content.reserve(size + 32);
  content = "<!-- " + relative + " " + std::to_string(++serial_) + " -->";
  while (content.size() < size) content += static_cast<char>('a' + random_() % 26);
  std::string path = Join(root_, relative);
  WriteFile(path, content);
  // Each write gets a time of its own, a few seconds after the last.
  clock_ += 2 + random_() % 5;
  SetWriteTime(path, clock_);
  return path;
}

void WebBuilder::Build(int fileCount, int maxSize) {
  static const std::array<const char*, 6> kExtension = {"_vti_cnf", "_vti_pvt", "_private",
                                                        "_borders", "_overlay", "_fpclass"};
  folders_ = {""};
  const int folderCount = std::max(1, fileCount / 25);
  for (int i = 1; i < folderCount; ++i) {
    const std::string& parent = folders_[random_() % folders_.size()];
    std::string name =
        random_() % 10 == 0 ? kExtension[random_() % kExtension.size()] : "dir" + std::to_string(i);
    folders_.push_back(parent.empty() ? name : parent + "/" + name);
  }
  for (int i = 0; i < fileCount; ++i) {
    const std::string& folder = folders_[random_() % folders_.size()];
    std::string name = "file" + std::to_string(i) + (i % 3 == 0 ? ".htm" : ".gif");
    std::string relative = folder.empty() ? name : folder + "/" + name;
    Write(relative, random_() % static_cast<unsigned>(maxSize));
    if (!HasExtensionWord(relative)) files_.push_back(relative);
  }
}

WebEdits WebBuilder::Edit(int count) {
  WebEdits edits;
  for (int i = 0; i < count && !files_.empty(); ++i) {
    const unsigned kind = random_() % 10;
    if (kind < 4) {  // new content
      const std::string& file = files_[random_() % files_.size()];
      Write(file, random_() % 4000);
      edits.changed.insert(file);
      edits.removed.erase(file);
    } else if (kind < 6) {  // the same bytes, saved again
      const std::string& file = files_[random_() % files_.size()];
      clock_ += 3;
      SetWriteTime(Join(root_, file), clock_);
      edits.changed.insert(file);
    } else if (kind < 8) {  // a new file, now and then in a new folder
      std::string folder = folders_[random_() % folders_.size()];
      if (HasExtensionWord(folder)) folder.clear();
      if (random_() % 3 == 0) {
        folder = (folder.empty() ? "" : folder + "/") + "new" + std::to_string(++serial_);
        folders_.push_back(folder);
      }
      std::string relative =
          (folder.empty() ? "" : folder + "/") + "added" + std::to_string(++serial_) + ".htm";
      Write(relative, random_() % 3000);
      files_.push_back(relative);
      edits.changed.insert(relative);
    } else {  // removed
      std::size_t at = random_() % files_.size();
      std::string file = files_[at];
      files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(at));
      fs::remove(Join(root_, file));
      edits.changed.erase(file);
      edits.removed.insert(file);
    }
  }
  return edits;
}

}  // namespace tarnwick::testing
