#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "settings/ini_editor.h"

namespace tarnwick {

// Memories of earlier runs in settings.db: the destination last used for each source
// (section "DIDOvivavovo") and the recently converted webs (section "Positions"). Where the
// file system tells case apart, names that differ only in case keep a memory each, and a
// stored path that differs from the web's only in case stands for it only when both name one
// folder, so that one web's memory never sends another web's run into its FTP web. Where it
// does not, the profile's matching without regard to case gives each web one entry.
class SourceMemory {
 public:
  explicit SourceMemory(std::string settingsFile, FileSystem& fs = SystemFileSystem());

  // The remembered destination, or source + "-FTP" when none (or only blanks) is stored.
  std::string ProposedDestination(const std::string& source) const;

  // After a finished run: remembers the destination and moves the source to the front.
  // Returns true when "Positions" changed (the recent webs need refilling).
  bool RememberConversion(const std::string& sourcePath, const std::string& destPath);

  // Keys "1" to "10", blank values left out, values as stored.
  std::vector<std::string> LoadRecentWebs() const;

 private:
  // The same text but for separators at the end, or (where case is not told apart, or both
  // name one folder) for case.
  bool SameWeb(const std::string& stored, const std::string& source) const;
  bool NamesFolder(const std::string& stored, const FileIdentity& folder) const;
  IniEditor Editor(const char* section) const;
  // The key of section "DIDOvivavovo" (as it stands in the file) that holds the web's memory.
  std::optional<std::string> FindKey(IniEditor& editor, const std::string& source) const;

  std::string settingsFile_;
  FileSystem& fs_;
};

}  // namespace tarnwick
