#include "settings/settings_store.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "base/path.h"
#include "base/text.h"
#include "platform/program_folder.h"
#include "settings/skip_list.h"

namespace tarnwick {

namespace {

constexpr const char* kMainSection = "Main";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal number: sign, digits with an optional fraction, optional exponent.
bool IsDecimalNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == text.size();
}

double RoundHalfToEven(double value) {
  double below = std::floor(value);
  double fraction = value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}

IniEditor EditorFor(const std::string& settingsFile, const char* section, FileSystem& fs) {
  IniEditor editor(fs);
  editor.IniFile = settingsFile;
  editor.IniSection = section;
  return editor;
}

}  // namespace

std::string ProgramFolder() {
  static const std::string folder = [] {
    ProgramFolderFacts facts;
    facts.executableFolder = ExecutableFolder();
    facts.installed = IsInstallBinFolder(facts.executableFolder, InstallBinFolders());
    facts.executableFolderWritable = FolderWritable(facts.executableFolder);
    facts.userDataFolder = UserDataFolder();
    std::string chosen = ChooseProgramFolder(facts);
    if (!chosen.empty() && chosen == facts.userDataFolder) {
      std::error_code error;
      std::filesystem::create_directories(PathFromText(chosen), error);
    }
    return chosen;
  }();
  return folder;
}

std::string SettingsFilePath(const std::string& folder) {
  return FollowFileLinks(AddBackslash(folder) + "settings.db");
}

std::string SettingsFileProblem(const std::string& settingsFile, FileSystem& fs) {
  const std::string reason = UnreadableFileReason(fs, settingsFile);
  if (reason.empty()) return std::string();  // readable, or missing: the defaults are meant
  return "The settings file \"" + settingsFile + "\" exists but cannot be read (" + reason +
         "). Make it readable, or remove it to start again from the default options.";
}

std::string SkipListFilePath(const std::string& folder) {
  return AddBackslash(folder) + "extras.db";
}

std::string OptionFilesProblem(const std::string& folder, FileSystem& fs) {
  // The entry itself, not the file its links lead to: a link to nothing is no missing file.
  std::string problem = SettingsFileProblem(AddBackslash(folder) + "settings.db", fs);
  if (problem.empty()) problem = SkipListProblem(SkipListFilePath(folder), fs);
  return problem;
}

std::optional<std::int16_t> ParseOptionState(const std::string& text) {
  std::string_view number = TrimBlanks(text);
  if (!IsDecimalNumber(number)) return std::nullopt;
  // from_chars takes no leading "+" and ignores the locale, which a window may have set.
  if (number.front() == '+') number.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  double rounded = RoundHalfToEven(value);
  if (!(rounded >= 0 && rounded <= 2)) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::string ReadStoredValue(IniEditor& editor, const std::string& key,
                            const std::string& defaultValue) {
  return editor.ReadWholeValue(key, defaultValue);
}

LoadedOptions LoadOptions(const std::string& settingsFile, FileSystem& fs) {
  LoadedOptions loaded;
  loaded.problem = SettingsFileProblem(settingsFile, fs);
  IniEditor editor = EditorFor(settingsFile, kMainSection, fs);
  for (const OptionDescriptor& option : kOptionTable) {
    std::string text = ReadStoredValue(editor, option.key, option.defaultValue);
    if (option.state == nullptr) {
      loaded.options.FTPPath = text;
      continue;
    }
    // A damaged value must not cost the user the options stored after it.
    std::optional<std::int16_t> state = ParseOptionState(text);
    if (!state) {
      loaded.damagedKeys.push_back(option.key);
      state = ParseOptionState(option.defaultValue);
    }
    loaded.options.*option.state = *state;
  }
  return loaded;
}

std::mutex& SettingsFileMutex() {
  static std::mutex mutex;
  return mutex;
}

bool SaveOptions(const std::string& settingsFile, const Options& options, FileSystem& fs) {
  const std::lock_guard lock(SettingsFileMutex());
  IniEditor editor = EditorFor(settingsFile, kMainSection, fs);
  // One rewrite of the file for all the keys.
  editor.DeferWrites(true);
  bool written = true;
  for (const OptionDescriptor& option : kOptionTable) {
    std::string value =
        option.state == nullptr ? options.FTPPath : std::to_string(options.*option.state);
    if (editor.WriteIniValue(option.key, value) == 0) written = false;
  }
  return editor.Flush() && written;
}

}  // namespace tarnwick
