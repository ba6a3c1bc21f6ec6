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

bool InExtensionFolder(const std::string& relative) {
  std::string folders = relative.substr(0, relative.find_last_of('/') + 1);
  for (const char* word : {"_vti", "_private", "_fpclass", "_borders", "_overlay"}) {
    if (folders.find(word) != std::string::npos) return true;
  }
  return false;
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

TEST(WebGeneratorTest, WritesTheShapeAsTheEditorLeavesIt) {
  TempDir dir;
  WebShape shape{200, 20, 3};
  WebGenerator generator(shape);
  std::string error;
  ASSERT_TRUE(generator.Generate(dir.path(), &error)) << error;
  auto files = Snapshot(dir.path());

  std::vector<std::string> kept;
  std::set<std::string> folders;
  for (const auto& [path, seen] : files) {
    if (InExtensionFolder(path)) continue;
    kept.push_back(path);
    if (path == "_vti_inf.html") continue;
    std::size_t cut = path.find_last_of('/');
    std::string folder = cut == std::string::npos ? "" : path.substr(0, cut + 1);
    std::string name = path.substr(folder.size());
    EXPECT_GE(seen.size, 200) << path;
    EXPECT_LE(seen.size, 50 * 1024) << path;
    std::string ext = name.substr(name.find_last_of('.'));
    EXPECT_TRUE(ext == ".htm" || ext == ".gif" || ext == ".jpg") << path;
    // The editor's meta file beside every file, dated like it.
    auto mirror = files.find(folder + "_vti_cnf/" + name);
    ASSERT_NE(mirror, files.end()) << path;
    EXPECT_EQ(mirror->second.writeTime, seen.writeTime);
    EXPECT_NE(mirror->second.content.find("vti_filesize:IR|" + std::to_string(seen.size)),
              std::string::npos);
  }
  EXPECT_EQ(static_cast<std::int64_t>(kept.size()), shape.files);
  EXPECT_EQ(generator.Counts().keptFiles, shape.files);
  std::vector<std::string> listed = generator.KeptFiles();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, kept);
  EXPECT_TRUE(files.count("_vti_inf.html"));

  int deepest = 0;
  int contentFolders = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (!entry.is_directory()) continue;
    std::string relative = fs::relative(entry.path(), dir.path()).generic_string();
    if (InExtensionFolder(relative + "/")) continue;
    ++contentFolders;
    deepest =
        std::max(deepest, static_cast<int>(std::count(relative.begin(), relative.end(), '/')) + 1);
    EXPECT_TRUE(fs::is_directory(entry.path() / "_vti_cnf")) << relative;
  }
  EXPECT_EQ(contentFolders, shape.folders);
  EXPECT_GE(deepest, 3);

  for (const std::string& name : WebGenerator::ExtensionFolderNames()) {
    ASSERT_TRUE(fs::is_directory(dir / name)) << name;
    EXPECT_FALSE(fs::is_empty(dir / name)) << name;
  }
}

TEST(WebGeneratorTest, EditsAndDeletesTheGivenShareTheSameWayEachTime) {
  TempDir dir;
  WebShape shape{201, 10, 5};  // 200 files besides _vti_inf.html
  WebGenerator generator(shape);
  WebGenerator twin(shape);
  ASSERT_TRUE(generator.Generate(dir / "web", nullptr));
  ASSERT_TRUE(twin.Generate(dir / "twin", nullptr));
  auto before = Snapshot(dir / "web");

  std::string error;
  auto edited = generator.EditFiles(dir / "web", 0.05, 11, &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(edited.size(), 10u);
  auto deleted = generator.DeleteFiles(dir / "web", 0.02, 12, &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(deleted.size(), 4u);  // 2% of the 200 still there

  auto after = Snapshot(dir / "web");
  std::set<std::string> gone(deleted.begin(), deleted.end());
  int resized = 0;
  for (const std::string& path : edited) {
    EXPECT_NE(path, "_vti_inf.html");
    if (gone.count(path)) continue;
    const Seen& old = before.at(path);
    const Seen& now = after.at(path);
    EXPECT_GT(now.writeTime, old.writeTime) << path;
    EXPECT_NE(now.content, old.content) << path;
    if (now.size != old.size) ++resized;
    std::size_t cut = path.find_last_of('/') + 1;
    EXPECT_EQ(after.at(path.substr(0, cut) + "_vti_cnf/" + path.substr(cut)).writeTime,
              now.writeTime);
  }
  EXPECT_GT(resized, 0);
  EXPECT_LT(resized, static_cast<int>(edited.size()));
  for (const std::string& path : deleted) {
    std::size_t cut = path.find_last_of('/') + 1;
    EXPECT_FALSE(after.count(path)) << path;
    EXPECT_FALSE(after.count(path.substr(0, cut) + "_vti_cnf/" + path.substr(cut))) << path;
  }
  EXPECT_EQ(generator.KeptFiles().size(), 201u - 4u);
  EXPECT_EQ(before.size() - after.size(), 2 * deleted.size());  // files and meta files

  // The untouched files are as they were.
  for (const auto& [path, seen] : after) {
    bool touched = std::find(edited.begin(), edited.end(), path) != edited.end() ||
                   path.find("_vti_cnf/") != std::string::npos;
    if (!touched) {
      EXPECT_EQ(seen, before.at(path)) << path;
    }
  }

  EXPECT_EQ(twin.EditFiles(dir / "twin", 0.05, 11, &error), edited);
  EXPECT_EQ(twin.DeleteFiles(dir / "twin", 0.02, 12, &error), deleted);
  EXPECT_EQ(Snapshot(dir / "twin"), after);
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
