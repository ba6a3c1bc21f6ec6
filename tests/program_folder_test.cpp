#include "platform/program_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::MakeFolder;
using testing::TempDir;

TEST(ProgramFolder, InstalledProgramsKeepTheirFilesPerUser) {
  const std::string user = "/home/ann/.local/share/Tarnwick";
  struct Row {
    const char* executableFolder;
    bool installed;
    bool writable;
    std::string userFolder;
    std::string chosen;
  };
  const Row rows[] = {
      // Root may write into /usr/bin, but an installed program never keeps files there.
      {"/usr/bin", true, true, user, user},
      {"/usr/bin", true, false, user, user},
      {"/usr/bin", true, true, "", ""},
      // An unpacked folder or a build tree keeps them beside the program while it may.
      {"/opt/tarnwick", false, true, user, "/opt/tarnwick"},
      {"/opt/tarnwick", false, false, user, user},
      {"/opt/tarnwick", false, false, "", "/opt/tarnwick"},
      {"", false, false, user, user},
  };
  for (const Row& row : rows) {
    ProgramFolderFacts facts{row.executableFolder, row.installed, row.writable, row.userFolder};
    EXPECT_EQ(ChooseProgramFolder(facts), row.chosen)
        << row.executableFolder << " installed " << row.installed << " writable " << row.writable;
  }
}

TEST(ProgramFolder, InstallBinFolderIsKnownByIdentityNotByText) {
  TempDir dir;
  const std::string bin = dir / "prefix/bin";
  MakeFolder(bin);
  MakeFolder(dir / "prefix/lib");
  MakeFolder(dir / "unpacked/bin");
  const std::vector<std::string> binFolders{dir / "other/bin", bin};

  EXPECT_TRUE(IsInstallBinFolder(bin, binFolders));
  EXPECT_TRUE(IsInstallBinFolder(dir / "prefix/lib/../bin", binFolders));
  // A folder of the same name elsewhere, or a prefix that is not there, is no install.
  EXPECT_FALSE(IsInstallBinFolder(dir / "unpacked/bin", binFolders));
  EXPECT_FALSE(IsInstallBinFolder(dir / "other/bin", binFolders));
  EXPECT_FALSE(IsInstallBinFolder("", binFolders));
  EXPECT_FALSE(IsInstallBinFolder(bin, {""}));
#ifndef _WIN32
  std::filesystem::create_directory_symlink(bin, dir / "linked-bin");
  EXPECT_TRUE(IsInstallBinFolder(dir / "linked-bin", binFolders));
  std::filesystem::create_directory_symlink(dir / "unpacked/bin", dir / "prefix/sbin");
  EXPECT_FALSE(IsInstallBinFolder(dir / "prefix/sbin", binFolders));
#endif

  // The build tree that runs these tests is not where the build installs.
  EXPECT_FALSE(IsInstallBinFolder(ExecutableFolder(), InstallBinFolders()));
#ifndef _WIN32
  // The Debian package installs into /usr/bin whatever prefix the build was configured with.
  const std::vector<std::string> installed = InstallBinFolders();
  EXPECT_EQ(std::count(installed.begin(), installed.end(), "/usr/bin"), 1);
#endif
}

#ifndef _WIN32
// The environment as it was, back when the test ends.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) value_ = value;
  }
  ~SavedVariable() {
    if (value_)
      setenv(name_, value_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> value_;
};

// The XDG base-directory rule: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share.
TEST(ProgramFolder, UserDataFolderFollowsXdgDataHomeElseTheHomeFolder) {
  const SavedVariable home("HOME"), dataHome("XDG_DATA_HOME");
  setenv("HOME", "/home/ann", 1);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(UserDataFolder(), "/home/ann/.local/share/Tarnwick");
  setenv("XDG_DATA_HOME", "/srv/ann data", 1);
  EXPECT_EQ(UserDataFolder(), "/srv/ann data/Tarnwick");
  setenv("XDG_DATA_HOME", "/srv/data/", 1);
  EXPECT_EQ(UserDataFolder(), "/srv/data/Tarnwick");
  // An empty or relative value counts as none.
  for (const char* ignored : {"", "data", "./data"}) {
    setenv("XDG_DATA_HOME", ignored, 1);
    EXPECT_EQ(UserDataFolder(), "/home/ann/.local/share/Tarnwick") << ignored;
  }
  // Without HOME the user's entry in the password database names the home folder, unless
  // XDG_DATA_HOME names the folder anyway.
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  EXPECT_NE(UserDataFolder(), "/home/ann/.local/share/Tarnwick");
  EXPECT_NE(UserDataFolder().find("/.local/share/Tarnwick"), std::string::npos);
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(UserDataFolder(), "/srv/data/Tarnwick");
}
#endif

}  // namespace
}  // namespace tarnwick
