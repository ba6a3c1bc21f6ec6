#include "engine/source_memory.h"

#include "base/path.h"
#include "base/text.h"
#include "settings/ini_editor.h"
#include "settings/settings_store.h"

namespace tarnwick {

namespace {

constexpr const char* kDestinationsSection = "DIDOvivavovo";
constexpr const char* kPositionsSection = "Positions";
// "Positions" is searched in keys 1 to 11 and can grow to 12; the list shows 1 to 10.
constexpr int kSearchedPositions = 11;
constexpr int kShownPositions = 10;

}  // namespace

SourceMemory::SourceMemory(std::string settingsFile, FileSystem& fs)
    : settingsFile_(std::move(settingsFile)), fs_(fs) {}

bool SourceMemory::SameWeb(const std::string& stored, const std::string& source) const {
  if (stored == source) return true;
  if (!EqualsNoCase(stored, source)) return false;
  if constexpr (kNamesIgnoreCase) return true;
  FileIdentity a, b;
  return fs_.FolderIdentity(stored, a, nullptr) && fs_.FolderIdentity(source, b, nullptr) && a == b;
}

std::string SourceMemory::ProposedDestination(const std::string& source) const {
  IniEditor editor(fs_);
  editor.IniFile = settingsFile_;
  editor.IniSection = kDestinationsSection;
  // The profile gives the first key that matches without regard to case; whose it is decides.
  const std::string wanted(TrimBlanks(source));
  std::string remembered;
  for (const auto& [key, value] : editor.ReadWholeSection()) {
    if (!EqualsNoCase(key, wanted)) continue;
    if (SameWeb(key, wanted)) remembered = value;
    break;
  }
  if (TrimSpaces(remembered).empty()) return source + "-FTP";
  return remembered;
}

bool SourceMemory::RememberConversion(const std::string& sourcePath, const std::string& destPath) {
  const std::lock_guard lock(SettingsFileMutex());
  IniEditor editor(fs_);
  editor.IniFile = settingsFile_;
  editor.IniSection = kDestinationsSection;
  editor.WriteIniValue(sourcePath, destPath);

  editor.IniSection = kPositionsSection;
  int found = 1;
  for (; found <= kSearchedPositions; ++found) {
    if (SameWeb(ReadStoredValue(editor, std::to_string(found), ""), sourcePath)) break;
  }
  if (found == 1) return false;  // already the most recent web

  // The entries before the found one (or keys 1 to 11) move back by one; one rewrite.
  editor.DeferWrites(true);
  for (int key = found; key >= 2; --key) {
    editor.WriteIniValue(std::to_string(key), ReadStoredValue(editor, std::to_string(key - 1), ""));
  }
  editor.WriteIniValue("1", sourcePath);
  editor.Flush();
  return true;
}

std::vector<std::string> SourceMemory::LoadRecentWebs() const {
  IniEditor editor(fs_);
  editor.IniFile = settingsFile_;
  editor.IniSection = kPositionsSection;
  std::vector<std::string> webs;
  for (int key = 1; key <= kShownPositions; ++key) {
    std::string value = ReadStoredValue(editor, std::to_string(key), "");
    if (!TrimSpaces(value).empty()) webs.push_back(value);
  }
  return webs;
}

}  // namespace tarnwick
