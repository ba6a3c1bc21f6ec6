#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// The folder that holds the running executable; empty when the platform cannot tell.
std::string ExecutableFolder();

// The per-user data folder for Tarnwick (~/.local/share/Tarnwick, %APPDATA%\Tarnwick); empty
// when the user's home cannot be found. The folder is not created here.
std::string UserDataFolder();

// Whether the current user may create files in the folder.
bool FolderWritable(const std::string& folder);

// The bin folders this build is installed into: the configured install prefix's and, where
// the build makes a Debian package, the package's.
std::vector<std::string> InstallBinFolders();

// Whether the folder is one of the bin folders. Decided by identity, so that a link, ".." or a
// bind mount on the way neither hides an installed program nor fakes one.
bool IsInstallBinFolder(const std::string& folder, const std::vector<std::string>& binFolders);

// What decides where the program keeps settings.db, extras.db, ticker.db and its lock.
struct ProgramFolderFacts {
  std::string executableFolder;  // empty when the platform cannot tell
  bool installed = false;        // the executable lies in an install bin folder
  bool executableFolderWritable = false;
  std::string userDataFolder;  // empty when the user's home is unknown
};

// An installed program keeps its files in the per-user folder, so that a start as root never
// writes into the system's bin folder. A program run from an unpacked folder or a build tree
// keeps them beside itself while it may write there, else in the per-user folder. Empty when
// an installed program finds no per-user folder.
std::string ChooseProgramFolder(const ProgramFolderFacts& facts);

}  // namespace tarnwick
