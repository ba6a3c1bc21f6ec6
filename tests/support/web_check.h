#pragma once

#include <map>
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
  // "" for a key that is not there.
  std::string Value(const std::string& section, const std::string& key) const;
};
StrictProfile ReadStrictProfile(const std::string& path);  // a missing file gives no sections

// Files an interrupted atomic rewrite could leave in a folder (".NAME.tmp...").
std::vector<std::string> LeftoverTempFiles(const std::string& folder);

}  // namespace tarnwick::testing
