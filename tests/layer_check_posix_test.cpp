// The layer check of the build, run on small source trees made for each rule.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class LayerCheckTest : public ::testing::Test {
 protected:
  // The check's exit status on the tree, with what it printed in `output`.
  int Check() {
    const std::string command = "bash '" + std::string(TARNWICK_LAYER_CHECK) + "' '" + tree.path() +
                                "' >'" + (tree / "output.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    output = ReadFile(tree / "output.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempDir tree;
  std::string output;
};

TEST_F(LayerCheckTest, IncludesDownwardPassAndEachUpwardOneIsNamedWithItsLine) {
  WriteFile(tree / "src/base/text.h", "#pragma once\n#include <string>\n");
  WriteFile(tree / "src/rules/web.h", "#include \"base/text.h\"\n");
  WriteFile(tree / "src/check/site.cpp",
            "#include \"check/site.h\"\n#include \"rules/web.h\"\n#include \"gumbo.h\"\n");
  WriteFile(tree / "src/engine/run.cpp", "#include \"check/site.h\"\n");
  WriteFile(tree / "src/platform/dirs.h.in", "#include \"base/text.h\"\n");
  WriteFile(tree / "src/cli/main.cpp", "#include \"engine/run.h\"\n#include \"ticker/feed.h\"\n");
  WriteFile(tree / "src/shell/main.cpp", "#include \"report/tally.h\"\n");
  ASSERT_EQ(Check(), 0) << output;

  // A layer below takes nothing from a layer above, nor from a front end.
  WriteFile(tree / "src/rules/web.h",
            "#include \"base/text.h\"\n\n  #  include \"check/site.h\"\n");
  WriteFile(tree / "src/platform/dirs.h.in", "#include \"settings/options.h\"\n");
  WriteFile(tree / "src/ticker/feed.cpp", "#include \"cli/status.h\"\n");
  EXPECT_EQ(Check(), 1);
  EXPECT_NE(output.find("src/rules/web.h:3: #include \"check/site.h\""), std::string::npos)
      << output;
  EXPECT_NE(output.find("src/platform/dirs.h.in:1: #include \"settings/options.h\""),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("src/ticker/feed.cpp:1: #include \"cli/status.h\""), std::string::npos)
      << output;
  EXPECT_EQ(output.find("src/check/site.cpp"), std::string::npos) << output;
}

TEST_F(LayerCheckTest, AFrontEndNeverIncludesTheOtherAndEveryFolderIsALayer) {
  WriteFile(tree / "src/cli/app.cpp", "#include \"cli/app.h\"\n#include \"shell/window.h\"\n");
  WriteFile(tree / "src/shell/window.cpp", "#include \"cli/app.h\"\n");
  EXPECT_EQ(Check(), 1);
  EXPECT_NE(output.find("src/cli/app.cpp:2: #include \"shell/window.h\""), std::string::npos)
      << output;
  EXPECT_NE(output.find("src/shell/window.cpp:1: #include \"cli/app.h\""), std::string::npos)
      << output;

  // A folder the order does not know would go unchecked.
  WriteFile(tree / "src/cli/app.cpp", "#include \"cli/app.h\"\n");
  WriteFile(tree / "src/shell/window.cpp", "#include \"engine/run.h\"\n");
  WriteFile(tree / "src/publish/host.cpp", "#include \"base/text.h\"\n");
  EXPECT_EQ(Check(), 1);
  EXPECT_NE(output.find("src/publish"), std::string::npos) << output;
}

}  // namespace
}  // namespace tarnwick
