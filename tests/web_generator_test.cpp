#include "web_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "engine/conversion_run.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteTimeOf;

struct Seen {
  std::int64_t size;
  std::int64_t writeTime;
  std::string content;
  bool operator==(const Seen&) const = default;
};

// Every file below root by its "/" separated relative path.
std::map<std::string, Seen> Snapshot(const std::string& root) {
  std::map<std::string, Seen> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string path = entry.path().string();
    files[fs::relative(entry.path(), root).generic_string()] =
        Seen{static_cast<std::int64_t>(entry.file_size()), WriteTimeOf(path), ReadFile(path)};
  }
  return files;
}

TEST(WebGeneratorTest, OneSeedGivesOneWebAndAnotherSeedAnother) {
  TempDir dir;
  WebShape shape{80, 8, 7};
  ASSERT_TRUE(WebGenerator(shape).Generate(dir / "a", nullptr));
  ASSERT_TRUE(WebGenerator(shape).Generate(dir / "b", nullptr));
  shape.seed = 8;
  ASSERT_TRUE(WebGenerator(shape).Generate(dir / "c", nullptr));

  auto a = Snapshot(dir / "a");
  EXPECT_EQ(a, Snapshot(dir / "b"));
  EXPECT_NE(a, Snapshot(dir / "c"));
}

// The benchmark's expectations rest on this: a conversion copies exactly the kept files, and
// after the edits reports exactly the edited ones and sweeps exactly the deleted ones.
TEST(WebGeneratorTest, AConversionSeesEveryEditAndDeletion) {
  TempDir dir;
  WebGenerator generator(WebShape{121, 9, 2});
  ASSERT_TRUE(generator.Generate(dir / "web", nullptr));
  Options options;
  options.CheckForChanges = options.CompareDate = options.CompareSize = 1;
  options.CreateUploadsDir = options.KillDeleted = options.KillExtra = 1;
  options.ReportChanges = options.ReportDeleted = 1;

  RunResult first = ConversionRun(options, {}).Run(dir / "web", dir / "ftp");
  EXPECT_EQ(first.copied, 121);
  EXPECT_EQ(first.reported, 121);
  for (const std::string& path : generator.KeptFiles()) {
    EXPECT_EQ(ReadFile(dir / ("ftp/" + path)), ReadFile(dir / ("web/" + path))) << path;
  }
  EXPECT_FALSE(Exists(dir / "ftp/_vti_cnf"));
  EXPECT_FALSE(Exists(dir / "ftp/_vti_pvt"));

  auto edited = generator.EditFiles(dir / "web", 0.05, 1, nullptr);
  auto deleted = generator.DeleteFiles(dir / "web", 0.02, 2, nullptr);
  std::set<std::string> changed(edited.begin(), edited.end());
  for (const std::string& path : deleted) changed.erase(path);
  RunResult third = ConversionRun(options, {}).Run(dir / "web", dir / "ftp");
  EXPECT_TRUE(third.failures.empty());
  EXPECT_EQ(third.reported, static_cast<std::int64_t>(changed.size()));
  EXPECT_EQ(third.deleted, static_cast<std::int64_t>(deleted.size()));
  for (const std::string& path : changed) {
    EXPECT_EQ(ReadFile(dir / ("ftp-Uploads/" + path)), ReadFile(dir / ("web/" + path))) << path;
  }
  for (const std::string& path : deleted) EXPECT_FALSE(Exists(dir / ("ftp/" + path)));
}

TEST(WebGeneratorTest, RefusesAFolderThatHoldsSomething) {
  TempDir dir;
  testing::WriteFile(dir / "web/index.htm", "x");
  std::string error;
  EXPECT_FALSE(WebGenerator(WebShape{10, 2, 1}).Generate(dir / "web", &error));
  EXPECT_NE(error.find("not empty"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "web/index.htm"), "x");
}

}  // namespace
}  // namespace tarnwick
