#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick {

// Reader and writer of profile (INI) files with the rules the old profile functions had:
// lines end at CR, LF or both; blanks around names and values are removed; a value in
// matching quotes comes back without them; names match without regard to case; the first of
// duplicate sections or keys wins; a changed key is replaced in place, a new key goes after
// the last key of its section, a new section at the end of the file; lines are written as
// key=value ended by CR LF.
//
// Each user owns an editor, sets IniFile and IniSection, then reads and writes. The editor
// keeps a parsed copy of each file it touched and checks it against the file's size and
// last-write time before every use, so an edit made by another program is still seen, while
// a run that writes thousands of keys does not re-read the file for each.
class IniEditor {
 public:
  explicit IniEditor(FileSystem& fs = SystemFileSystem());
  // An editor of the one file fileName in folder, whatever IniFile says: IniFile then only
  // names it in messages. A null folder is one that could not be opened: nothing can be read
  // or written there.
  IniEditor(std::shared_ptr<Folder> folder, std::string fileName);

  std::string IniFile;
  std::string IniSection;

  // The value with a 255-character buffer: at most 254 characters come back; a missing file,
  // section or key gives the default (cut the same way); a present empty value gives "".
  std::string ReadIniValue(const std::string& key, const std::string& defaultValue);

  // The whole value, without the old buffer limit; the default when the key is missing.
  std::string ReadWholeValue(const std::string& key, const std::string& defaultValue);

  // Every key and full value of the section, without the old buffer limits.
  std::vector<std::pair<std::string, std::string>> ReadWholeSection();

  // Sets the key; creates file and section when missing. Nonzero on success. A key or value
  // that the file syntax cannot hold (line breaks, "=" or NUL in a key, a key that starts
  // with "[" or ";") is refused with 0 rather than written so that it reads back as something
  // else. Like the old functions, blanks around a value and one pair of matching quotes are
  // not part of it when it is read back. A file that exists but cannot be read is refused.
  std::int16_t WriteIniValue(const std::string& key, const std::string& value);

  // Moves the section IniSection, with its keys, to just before the section other when it
  // stands after it; nothing else changes. Written like any other change.
  bool PlaceSectionBefore(const std::string& other);

  // From now on key names match only when they are spelled alike, capitals included, so that
  // two keys differing only in case are two keys. Files and sections still match without
  // regard to case; a key that differs in case from a stored one is added after the last key.
  void MatchKeysExactly(bool exact) { exactKeys_ = exact; }

  // While deferred, writes change the parsed copy only; Flush puts them on disk in one
  // atomic rewrite (or one append when they all landed at the end of the file).
  void DeferWrites(bool deferred);
  bool Flush();

  // Lines of the largest file whose next Flush has to rewrite it whole; 0 when every
  // pending change is an append at the end.
  std::size_t PendingRewriteLines() const;

  // The reason of the last failed write.
  const std::string& LastError() const { return lastError_; }

 private:
  struct Line {
    std::string text;  // without its line end
    bool isKey = false;
  };
  // One section with its header line first; the lines before the first header form a
  // section without a name.
  struct Section {
    std::string name;  // lowered
    std::vector<Line> lines;
    std::unordered_map<std::string, std::size_t> keys;  // lowered name -> first line
    std::size_t lastKey = 0;                            // the last key line, or the header
  };
  struct Document {
    bool loaded = false;
    bool exists = false;
    std::int64_t size = -1;
    std::int64_t writeTime = 0;
    std::vector<Section> sections;
    std::unordered_map<std::string, std::size_t> sectionIndex;  // first of duplicates wins
    bool endsWithBreak = true;
    // There but not readable: writes are refused rather than replacing what it holds.
    bool unreadable = false;
    std::string readError;
    // Changes not yet on disk: bytes to append at the end, or a full rewrite.
    bool dirty = false;
    bool rewriteNeeded = false;
    std::string pendingAppend;
  };

  Document& Current();
  void Load(Document& doc, const std::string& path);
  bool Persist(Document& doc, const std::string& path);
  static std::string Serialize(const Document& doc);
  Section* FindSection(Document& doc);
  // The first line of the key in the section, by the current matching; npos when absent.
  std::size_t FindKey(const Section& section, std::string_view key) const;

  // Where the file is: by its path, or by its name in a folder held.
  std::optional<FindEntry> LookUpFile(const std::string& path);
  bool ReadFile(const std::string& path, std::string& content, std::string* error);
  bool FileInaccessible(const std::string& path, std::string* reason);
  bool ReplaceWhole(const std::string& path, const std::string& content, std::string* error);
  bool Append(const std::string& path, const std::string& content, std::string* error);

  FileSystem* fs_ = nullptr;
  std::shared_ptr<Folder> folder_;
  std::string fileName_;
  std::map<std::string, Document> documents_;
  bool deferred_ = false;
  bool exactKeys_ = false;
  std::string lastError_;
};

}  // namespace tarnwick
