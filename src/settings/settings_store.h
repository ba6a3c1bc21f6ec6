#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "settings/ini_editor.h"
#include "settings/options.h"

namespace tarnwick {

// The program's folder, as ChooseProgramFolder decides it for this executable: the per-user
// data folder for an installed program, otherwise the executable's folder when writable, else
// the per-user data folder. Empty when an installed program finds no per-user folder.
std::string ProgramFolder();

// settings.db and extras.db inside a folder. A settings.db that is a symbolic link is followed,
// so that rewrites and appends alike reach the file it leads to.
std::string SettingsFilePath(const std::string& folder);
std::string SkipListFilePath(const std::string& folder);

// A stored text as a check-box state: rounded to the nearest whole number, a half to the even
// one. Empty when the text is not a number or lies outside 0 to 2.
std::optional<std::int16_t> ParseOptionState(const std::string& text);

// What loading found: the options and, per key in order, whether its stored value was damaged
// (not a number, or outside 0 to 2) and replaced by the default.
struct LoadedOptions {
  Options options;
  std::vector<std::string> damagedKeys;
  // Set when the file is there but cannot be read (SettingsFileProblem); the options are then
  // the defaults, which are not the user's, and no run may take them.
  std::string problem;
};

// Why a settings.db that exists cannot be used (no access, a folder, a read error), as a
// message for the user; empty when it can be read or is missing.
std::string SettingsFileProblem(const std::string& settingsFile,
                                FileSystem& fs = SystemFileSystem());

// Why a run may not take the options of a folder: its settings.db or extras.db is there (a
// link that leads nowhere or round in a loop counts) but cannot be read, and the defaults or an
// empty skip list in its place would delete or upload what the user keeps. Empty when both can
// be read or are missing.
std::string OptionFilesProblem(const std::string& folder, FileSystem& fs = SystemFileSystem());

// Section "Main" of settings.db; a missing file or key gives the defaults: every option on
// except starting the FTP client.
LoadedOptions LoadOptions(const std::string& settingsFile, FileSystem& fs = SystemFileSystem());

// Held while settings.db is read, changed and written back, so that two writers in one process
// never lose each other's change: a run that ends beside the window remembers its web while the
// window may be saving an option.
std::mutex& SettingsFileMutex();

// Writes the keys in order; false when a write was refused.
bool SaveOptions(const std::string& settingsFile, const Options& options,
                 FileSystem& fs = SystemFileSystem());

// Where TickerDate is kept (one place, so reader and writer cannot disagree).
inline constexpr const char* kTickerDateSection = "Ticker";
inline constexpr const char* kTickerDateKey = "TickerDate";

// A value of the editor's current file and section, like ReadIniValue but whole: stored paths
// longer than the old 254-character buffer must not come back cut, or a cut destination would
// be proposed and a cut path written back.
std::string ReadStoredValue(IniEditor& editor, const std::string& key,
                            const std::string& defaultValue);

}  // namespace tarnwick
