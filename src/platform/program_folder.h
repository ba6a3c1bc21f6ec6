#pragma once

#include <string>

namespace tarnwick {

// The folder that holds the running executable; empty when the platform cannot tell.
std::string ExecutableFolder();

// The per-user data folder for Tarnwick (~/.local/share/Tarnwick, %APPDATA%\Tarnwick); empty
// when the user's home cannot be found. The folder is not created here.
std::string UserDataFolder();

// Whether the current user may create files in the folder.
bool FolderWritable(const std::string& folder);

}  // namespace tarnwick
