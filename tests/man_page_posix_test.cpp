// The manual page of tarnwick-convert must name the options that its --help names.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "cli/cli_app.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Names = std::set<std::string>;

// The names that `line` captures in `text`, where "\-" is roff's minus.
Names OptionNames(std::string text, const std::regex& line) {
  text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
  Names names;
  for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
    for (std::size_t i = 1; i < it->size(); ++i)
      if ((*it)[i].matched) names.insert((*it)[i].str());
  }
  return names;
}

TEST(ManPage, NamesTheOptionsOfTheHelp) {
  const std::string help = HelpText();
  ASSERT_NE(help.find("usage: tarnwick-convert"), std::string::npos) << help;
  const std::string page = testing::ReadFile(TARNWICK_MAN_PAGE);
  const std::size_t options = page.find("\n.SH OPTIONS");
  ASSERT_NE(options, std::string::npos) << TARNWICK_MAN_PAGE;
  const std::string section = page.substr(options, page.find("\n.SH", options + 1) - options);

  // The help lists each option on an indented line of its own: "  -q, --quiet ...".
  const Names fromHelp = OptionNames(help, std::regex(R"(\n +(?:(-\w), )?(--[\w-]+))"));
  EXPECT_TRUE(fromHelp.count("--help") && fromHelp.count("-h") && fromHelp.count("--settings-dir"))
      << "the help's option lines were not recognised";
  // The page gives each option the tag line after a ".TP": ".BR \-q ", " \-\-quiet".
  EXPECT_EQ(
      OptionNames(section, std::regex(R"(\n\.TP\n\.\w+ (-\w|--[\w-]+)(?: ", " (--[\w-]+))?)")),
      fromHelp);
}

}  // namespace
}  // namespace tarnwick
