#include "support/web_check.h"

#include <filesystem>

#include "base/text.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tarnwick::testing {

namespace {

bool HasExtensionWord(const std::string& name) {
  for (const char* word : {"_vti", "_private", "_fpclass", "_borders", "_overlay"})
    if (LowerCase(name).find(word) != std::string::npos) return true;
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

std::string StrictProfile::Value(const std::string& section, const std::string& key) const {
  auto s = sections.find(section);
  if (s == sections.end()) return std::string();
  auto k = s->second.find(key);
  return k == s->second.end() ? std::string() : k->second;
}

StrictProfile ReadStrictProfile(const std::string& path) {
  StrictProfile profile;
  const std::string text = Exists(path) ? ReadFile(path) : "";
  std::string section;
  for (std::size_t pos = 0, end = 0, number = 1; pos < text.size(); pos = end + 2, ++number) {
    end = text.find("\r\n", pos);
    const std::string line = text.substr(pos, end - pos);
    const std::size_t eq = line.find('=');
    if (end == std::string::npos || line.find_first_of("\r\n") != std::string::npos) {
      profile.problem = "line " + std::to_string(number) + " is torn or holds a lone line break";
      break;
    } else if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = LowerCase(line.substr(1, line.size() - 2));
      profile.sections[section];
    } else if (!profile.sections.empty() && eq != std::string::npos && eq > 0) {
      profile.sections[section].emplace(LowerCase(line.substr(0, eq)), line.substr(eq + 1));
    } else {
      profile.problem = "line " + std::to_string(number) + " is not well formed: " + line;
      break;
    }
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

}  // namespace tarnwick::testing
