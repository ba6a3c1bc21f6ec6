// The manual page of tarnwick-convert must name the options that its --help names.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/cli_app.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Names = std::set<std::string>;

// The help lists each option on a line of its own, indented, names first: "  -q, --quiet ...".
// Value names (DIR) are passed over; the first other word starts the description.
Names HelpOptions(const std::string& help) {
  static const std::regex kValueName("[A-Z][A-Z_]*");
  Names names;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == 0 || first == std::string::npos || line[first] != '-') continue;
    std::istringstream words(line);
    for (std::string word; words >> word;) {
      if (!word.empty() && word.back() == ',') word.pop_back();
      if (word.rfind('-', 0) == 0) {
        names.insert(word.substr(0, word.find('=')));
      } else if (!std::regex_match(word, kValueName)) {
        break;
      }
    }
  }
  return names;
}

// In the page's OPTIONS section each option is the tag line after a ".TP" macro.
Names ManPageOptions(const std::string& page) {
  static const std::regex kDash(R"(\\-)");
  static const std::regex kEscape(R"(\\f[BIRP]|")");
  static const std::regex kName(R"(--?[A-Za-z0-9][A-Za-z0-9-]*)");
  Names names;
  std::istringstream lines(page);
  bool inOptions = false;
  bool tag = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(".SH", 0) == 0) {
      inOptions = line.find("OPTIONS") != std::string::npos;
      continue;
    }
    if (!inOptions) continue;
    if (line.rfind(".TP", 0) == 0) {
      tag = true;
      continue;
    }
    if (!tag) continue;
    tag = false;
    // Past the macro name; "\-" is roff's minus.
    line = std::regex_replace(line.substr(line.find(' ') + 1), kDash, "-");
    line = std::regex_replace(line, kEscape, " ");
    for (std::sregex_iterator it(line.begin(), line.end(), kName), end; it != end; ++it) {
      names.insert(it->str());
    }
  }
  return names;
}

TEST(ManPage, NamesTheOptionsOfTheHelp) {
  const std::string help = HelpText();
  ASSERT_NE(help.find("usage: tarnwick-convert"), std::string::npos) << help;
  const std::string page = testing::ReadFile(TARNWICK_MAN_PAGE);
  ASSERT_FALSE(page.empty()) << TARNWICK_MAN_PAGE;

  const Names fromHelp = HelpOptions(help);
  EXPECT_TRUE(fromHelp.count("--help") && fromHelp.count("-h") && fromHelp.count("--settings-dir"))
      << "the help's option lines were not recognised";
  EXPECT_EQ(ManPageOptions(page), fromHelp);
}

}  // namespace
}  // namespace tarnwick
