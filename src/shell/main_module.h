#pragma once

#include <QString>
#include <string>

namespace tarnwick {

class ShellServices;
class SingleInstance;

// The operating system's name, set once at start-up; the tray reads it.
extern std::string OSName;

// The name for a version answer: platform id, major and minor version.
std::string DetectOSVersion(int platformId, int majorVersion, int minorVersion);
// Asks the platform and sets OSName; "Unknown" where there is no such query.
void DetectOSVersion();

inline constexpr const char* kAlreadyRunningMessage =
    "Another Instance of Tarnwick is already running.";
inline constexpr const char* kAlreadyRunningTitle = "Already Running";
// An installed program whose user has no home folder has nowhere to keep its settings.
inline constexpr const char* kNoProgramFolderMessage =
    "Tarnwick cannot find a folder for its settings: the home folder is unknown.";

// False, after the message, when another instance holds the program folder.
bool ClaimSingleInstance(SingleInstance& instance, ShellServices& services);

// The folder for settings.db, extras.db and the lock: TARNWICK_PROGRAM_DIR when set (tests and
// the benchmark keep their files apart with it), otherwise the program's folder; empty when
// there is none.
QString ProgramFolderForShell();

// The program once the application object exists: refuses a second instance, names the
// system, creates and loads the main window and runs until it is unloaded. A source folder
// (the command line's) is put into the Convert panel with its destination.
int Main(ShellServices& services, const QString& programFolder,
         const QString& sourceFolder = QString());

}  // namespace tarnwick
