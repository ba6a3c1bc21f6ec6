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

// A name or path as it is stored: what the profile would change or refuse is written as %XX,
// so that the key and the value read back as exactly the text they were written for. The
// profile reader takes blanks off both ends and one pair of quotes off a value, a line that
// starts with "[" or ";" holds no key, and "=" ends a key.
std::string Stored(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  const std::size_t last = text.find_last_not_of(" \t");
  std::string stored;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool escaped =
        c == '%' || c == '=' || c == '\r' || c == '\n' || first == std::string_view::npos ||
        i < first || i > last ||
        (i == 0 && (c == '[' || c == ';' ||
                    ((c == '"' || c == '\'') && text.size() > 1 && text.back() == c)));
    if (!escaped) {
      stored += c;
      continue;
    }
    AppendPercentEscape(stored, c);
  }
  return stored;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The text a stored name or path was written for. Earlier versions stored the text as it stood;
// what they wrote holds no escape this version would have written for it (a "%" of theirs is
// not followed by two hex digits, or the text decoded would be stored otherwise), and is read
// as it stands, as they read it.
std::string Unstored(const std::string& stored) {
  if (stored.find('%') == std::string::npos) return stored;
  std::string text;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] != '%') {
      text += stored[i];
      continue;
    }
    const int high = i + 2 < stored.size() ? HexValue(stored[i + 1]) : -1;
    const int low = high < 0 ? -1 : HexValue(stored[i + 2]);
    if (low < 0) return stored;
    text += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return Stored(text) == stored ? text : stored;
}

}  // namespace

SourceMemory::SourceMemory(std::string settingsFile, FileSystem& fs)
    : settingsFile_(std::move(settingsFile)), fs_(fs) {}

bool SourceMemory::SameWeb(const std::string& stored, const std::string& source) const {
  // A separator at the end (a hand edit) names the same folder.
  const std::string a = StripTrailingSeparators(stored);
  const std::string b = StripTrailingSeparators(source);
  if (a == b) return true;
  if (!EqualsNoCase(a, b)) return false;
  if constexpr (kNamesIgnoreCase) return true;
  FileIdentity x, y;
  return fs_.FolderIdentity(a, x, nullptr) && fs_.FolderIdentity(b, y, nullptr) && x == y;
}

bool SourceMemory::NamesFolder(const std::string& stored, const FileIdentity& folder) const {
  // A relative path would be taken from whatever the current folder happens to be.
  if (!PathFromText(stored).is_absolute()) return false;
  FileIdentity identity;
  return fs_.FolderIdentity(stored, identity, nullptr) && identity == folder;
}

IniEditor SourceMemory::Editor(const char* section) const {
  IniEditor editor(fs_);
  editor.IniFile = settingsFile_;
  editor.IniSection = section;
  // Where capitals tell folders apart, Site and site each keep a memory of their own.
  editor.MatchKeysExactly(!kNamesIgnoreCase);
  return editor;
}

std::optional<std::string> SourceMemory::FindKey(IniEditor& editor,
                                                 const std::string& source) const {
  // The web's own key, else another spelling of its folder (written by an earlier version that
  // matched keys without regard to case, or by a run given that spelling).
  std::optional<std::string> sameFolder;
  for (const auto& [key, value] : editor.ReadWholeSection()) {
    const std::string web = Unstored(key);
    if (web == source) return key;
    if (!sameFolder && SameWeb(web, source)) sameFolder = key;
  }
  return sameFolder;
}

std::string SourceMemory::ProposedDestination(const std::string& source) const {
  IniEditor editor = Editor(kDestinationsSection);
  std::string remembered;
  if (std::optional<std::string> key = FindKey(editor, source))
    remembered = Unstored(ReadStoredValue(editor, *key, ""));
  if (TrimSpaces(remembered).empty()) return source + "-FTP";
  return remembered;
}

bool SourceMemory::RememberConversion(const std::string& sourcePath, const std::string& destPath) {
  const std::lock_guard lock(SettingsFileMutex());
  IniEditor editor = Editor(kDestinationsSection);
  // A web that an earlier version stored in another form keeps its one key.
  editor.WriteIniValue(FindKey(editor, sourcePath).value_or(Stored(sourcePath)), Stored(destPath));

  editor.IniSection = kPositionsSection;
  // Where the folder is there, any path to it stands for it (a "." or a link in a hand edit).
  FileIdentity folder;
  const bool folderThere = fs_.FolderIdentity(sourcePath, folder, nullptr);
  int found = 1;
  for (; found <= kSearchedPositions; ++found) {
    const std::string stored = Unstored(ReadStoredValue(editor, std::to_string(found), ""));
    if (SameWeb(stored, sourcePath) || (folderThere && NamesFolder(stored, folder))) break;
  }
  if (found == 1) return false;  // already the most recent web

  // The entries before the found one (or keys 1 to 11) move back by one, as stored; one rewrite.
  editor.DeferWrites(true);
  for (int key = found; key >= 2; --key) {
    editor.WriteIniValue(std::to_string(key), ReadStoredValue(editor, std::to_string(key - 1), ""));
  }
  editor.WriteIniValue("1", Stored(sourcePath));
  editor.Flush();
  return true;
}

std::vector<std::string> SourceMemory::LoadRecentWebs() const {
  IniEditor editor = Editor(kPositionsSection);
  std::vector<std::string> webs;
  for (int key = 1; key <= kShownPositions; ++key) {
    std::string value = Unstored(ReadStoredValue(editor, std::to_string(key), ""));
    if (!TrimSpaces(value).empty()) webs.push_back(value);
  }
  return webs;
}

}  // namespace tarnwick
