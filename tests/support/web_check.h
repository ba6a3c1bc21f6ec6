#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::testing {

// Every regular file below root (links and special files passed over, links to folders not
// entered), by relative path written with "/", with its content.
std::map<std::string, std::string> TreeContents(const std::string& root);

// What the FTP web of a source tree must hold: its files except those in folders whose
// names contain a server-extension word, and nothing from folders whose names start with ".".
std::map<std::string, std::string> ExpectedFtpWeb(const std::string& source);

// A profile file read strictly, as the program writes them: every line "[name]" or
// "key=value", each ended by CR LF, nothing else. Sections and keys are lowered.
struct StrictProfile {
  std::string problem;  // empty when the file is well formed
  std::map<std::string, std::map<std::string, std::string>> sections;
  bool Has(const std::string& section, const std::string& key) const;
  std::string Value(const std::string& section, const std::string& key) const;
};
StrictProfile ReadStrictProfile(const std::string& path);  // a missing file gives no sections

// Files an interrupted atomic rewrite could leave in a folder (".NAME.tmp...").
std::vector<std::string> LeftoverTempFiles(const std::string& folder);

// A generated web: folders a few levels deep, server-extension folders among them, files of
// mixed sizes. Paths are relative, written with "/".
struct WebEdits {
  std::set<std::string> changed;  // content or time changed, or new
  std::set<std::string> removed;
};
class WebBuilder {
 public:
  WebBuilder(std::string root, std::uint32_t seed);
  // Creates fileCount files (at least 1) below root.
  void Build(int fileCount, int maxSize = 4000);
  // Edits some files (new content or only a new time), adds new ones (some in new folders)
  // and removes some; only files outside server-extension folders.
  WebEdits Edit(int count);
  const std::string& root() const { return root_; }

 private:
  std::string Write(const std::string& relative, std::size_t size);
  std::string root_;
  std::mt19937 random_;
  std::vector<std::string> folders_;
  std::vector<std::string> files_;  // those the edits may touch
  std::int64_t clock_ = 1600000000;
  int serial_ = 0;
};

}  // namespace tarnwick::testing
