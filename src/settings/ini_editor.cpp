#include "settings/ini_editor.h"

#include <algorithm>
#include <unordered_set>

#include "base/text.h"

namespace tarnwick {
namespace {

constexpr std::size_t kValueBuffer = 255;

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool HasLineBreak(std::string_view text) {
  return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

}  // namespace

IniEditor::IniEditor(FileSystem& fs) : fs_(&fs) {}

IniEditor::IniEditor(std::shared_ptr<Folder> folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {}

namespace {

constexpr const char* kNoFolder = "the folder that holds it could not be opened";

}  // namespace

std::optional<FindEntry> IniEditor::LookUpFile(const std::string& path) {
  if (fs_) return fs_->LookUp(path);
  return folder_ ? folder_->LookUp(fileName_) : std::nullopt;
}

bool IniEditor::ReadFile(const std::string& path, std::string& content, std::string* error) {
  content.clear();
  if (fs_) return fs_->ReadTextFile(path, content, error);
  if (folder_) return folder_->ReadTextFile(fileName_, content, error);
  if (error) *error = kNoFolder;
  return false;
}

bool IniEditor::FileInaccessible(const std::string& path, std::string* reason) {
  if (fs_) return fs_->Inaccessible(path, reason);
  return folder_ && folder_->Inaccessible(fileName_, reason);
}

bool IniEditor::ReplaceWhole(const std::string& path, const std::string& content,
                             std::string* error) {
  if (fs_) return fs_->ReplaceFile(path, content, error);
  if (folder_) return folder_->ReplaceFile(fileName_, content, error);
  if (error) *error = kNoFolder;
  return false;
}

bool IniEditor::Append(const std::string& path, const std::string& content, std::string* error) {
  if (fs_) return fs_->AppendToFile(path, content, error);
  if (folder_) return folder_->AppendToFile(fileName_, content, error);
  if (error) *error = kNoFolder;
  return false;
}

namespace {

// The key name of a key line: the text before the first "=", without blanks.
std::string_view KeyName(std::string_view line) {
  std::string_view trimmed = TrimBlanks(line);
  return TrimBlanks(trimmed.substr(0, trimmed.find('=')));
}

std::string ValueOf(std::string_view line) {
  return Unquote(TrimBlanks(line.substr(line.find('=') + 1)));
}

}  // namespace

void IniEditor::Load(Document& doc, const std::string& path) {
  doc = Document();
  doc.loaded = true;
  doc.sections.emplace_back();  // the lines before the first header
  std::string content;
  std::string error;
  if (!ReadFile(path, content, &error)) {
    // A file that is there but cannot be read is not an empty one: writing into it would
    // replace everything it holds with the one new key.
    std::string reason;
    if (FileInaccessible(path, &reason)) {
      doc.unreadable = true;
      doc.readError = "cannot read the file: " + (reason.empty() ? error : reason);
    }
    return;
  }
  doc.exists = true;
  // A byte-order mark from an editor is no part of the first line.
  content.erase(0, content.size() - WithoutUtf8Mark(content).size());
  // Without a look-up the size stays unknown, so the next use reads the file afresh.
  if (std::optional<FindEntry> entry = LookUpFile(path)) {
    doc.size = static_cast<std::int64_t>(entry->size);
    doc.writeTime = entry->lastWriteTime;
  }
  std::size_t pos = 0;
  while (pos < content.size()) {
    std::size_t end = content.find_first_of("\r\n", pos);
    Line line;
    line.text = content.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (end == std::string::npos) {
      pos = content.size();
      doc.endsWithBreak = false;
    } else {
      bool crlf = content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
      pos = end + (crlf ? 2 : 1);
    }
    std::string_view trimmed = TrimBlanks(line.text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      std::size_t close = trimmed.find(']');
      Section section;
      section.name = LowerCase(TrimBlanks(
          trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      doc.sectionIndex.emplace(section.name, doc.sections.size());
      section.lines.push_back(std::move(line));
      doc.sections.push_back(std::move(section));
      continue;
    }
    Section& section = doc.sections.back();
    // Only lines inside a section can be keys; ";" starts a comment.
    if (doc.sections.size() > 1 && !trimmed.empty() && trimmed.front() != ';' &&
        trimmed.find('=') != std::string_view::npos) {
      line.isKey = true;
      section.keys.emplace(LowerCase(KeyName(line.text)), section.lines.size());
      section.lastKey = section.lines.size();
    }
    section.lines.push_back(std::move(line));
  }
}

IniEditor::Document& IniEditor::Current() {
  Document& doc = documents_[IniFile];
  // Pending writes are newer than the file; otherwise check the file has not been changed.
  if (doc.dirty) return doc;
  std::optional<FindEntry> entry = LookUpFile(IniFile);
  if (!doc.loaded) {
    Load(doc, IniFile);
  } else if (!entry || entry->IsFolder()) {
    if (doc.exists || doc.unreadable) Load(doc, IniFile);
  } else if (!doc.exists || static_cast<std::int64_t>(entry->size) != doc.size ||
             entry->lastWriteTime != doc.writeTime) {
    Load(doc, IniFile);
  }
  return doc;
}

IniEditor::Section* IniEditor::FindSection(Document& doc) {
  auto it = doc.sectionIndex.find(LowerCase(TrimBlanks(IniSection)));
  return it == doc.sectionIndex.end() ? nullptr : &doc.sections[it->second];
}

std::size_t IniEditor::FindKey(const Section& section, std::string_view key) const {
  const std::string_view name = TrimBlanks(key);
  if (!exactKeys_) {
    auto it = section.keys.find(LowerCase(name));
    return it == section.keys.end() ? std::string::npos : it->second;
  }
  for (std::size_t i = 0; i < section.lines.size(); ++i) {
    if (section.lines[i].isKey && KeyName(section.lines[i].text) == name) return i;
  }
  return std::string::npos;
}

std::string IniEditor::ReadWholeValue(const std::string& key, const std::string& defaultValue) {
  if (Section* section = FindSection(Current())) {
    std::size_t line = FindKey(*section, key);
    if (line != std::string::npos) return ValueOf(section->lines[line].text);
  }
  return defaultValue;
}

std::string IniEditor::ReadIniValue(const std::string& key, const std::string& defaultValue) {
  std::string result = ReadWholeValue(key, defaultValue);
  if (result.size() > kValueBuffer - 1) result.resize(kValueBuffer - 1);
  return result;
}

std::vector<std::pair<std::string, std::string>> IniEditor::ReadWholeSection() {
  std::vector<std::pair<std::string, std::string>> result;
  Section* section = FindSection(Current());
  if (!section) return result;
  std::unordered_set<std::string> seen;
  for (const Line& line : section->lines) {
    if (!line.isKey) continue;
    std::string name(KeyName(line.text));
    if (!seen.insert(exactKeys_ ? name : LowerCase(name)).second) continue;  // a later duplicate
    result.emplace_back(std::move(name), ValueOf(line.text));
  }
  return result;
}

std::int16_t IniEditor::WriteIniValue(const std::string& key, const std::string& value) {
  std::string_view trimmedKey = TrimBlanks(key);
  std::string_view sectionName = TrimBlanks(IniSection);
  if (trimmedKey.empty() || HasLineBreak(key) || key.find('=') != std::string::npos ||
      key.find('\0') != std::string::npos || trimmedKey.front() == '[' ||
      trimmedKey.front() == ';' || HasLineBreak(value) || sectionName.empty() ||
      HasLineBreak(IniSection) || sectionName.find(']') != std::string::npos) {
    lastError_ = "the name or value cannot be stored in a profile file";
    return 0;
  }
  Document& doc = Current();
  if (doc.unreadable) {
    lastError_ = doc.readError;
    return 0;
  }
  std::string text = key + "=" + value;
  std::string name = LowerCase(trimmedKey);
  auto appendText = [&doc](const std::string& line) {
    if (!doc.endsWithBreak) doc.pendingAppend += "\r\n";
    doc.pendingAppend += line + "\r\n";
    doc.endsWithBreak = true;
  };
  Section* section = FindSection(doc);
  if (!section) {
    appendText("[" + std::string(sectionName) + "]");
    appendText(text);
    Section added;
    added.name = LowerCase(sectionName);
    added.lines.push_back(Line{"[" + std::string(sectionName) + "]", false});
    added.lines.push_back(Line{text, true});
    added.keys.emplace(name, 1);
    added.lastKey = 1;
    doc.sectionIndex.emplace(added.name, doc.sections.size());
    doc.sections.push_back(std::move(added));
  } else if (std::size_t found = FindKey(*section, key); found != std::string::npos) {
    Line& line = section->lines[found];
    if (line.text == text) return 1;  // nothing to change
    line.text = text;
    doc.rewriteNeeded = true;
  } else {
    std::size_t at = section->lastKey + 1;
    bool atEnd = section == &doc.sections.back() && at == section->lines.size();
    if (atEnd)
      appendText(text);
    else
      doc.rewriteNeeded = true;
    section->lines.insert(section->lines.begin() + static_cast<std::ptrdiff_t>(at),
                          Line{text, true});
    section->keys.emplace(name, at);
    section->lastKey = at;
  }
  doc.dirty = true;
  if (deferred_) return 1;
  return Persist(doc, IniFile) ? 1 : 0;
}

bool IniEditor::PlaceSectionBefore(const std::string& other) {
  Document& doc = Current();
  auto moved = doc.sectionIndex.find(LowerCase(TrimBlanks(IniSection)));
  auto before = doc.sectionIndex.find(LowerCase(TrimBlanks(other)));
  if (moved == doc.sectionIndex.end() || before == doc.sectionIndex.end() ||
      moved->second < before->second)
    return true;
  const auto from = static_cast<std::ptrdiff_t>(moved->second);
  const auto to = static_cast<std::ptrdiff_t>(before->second);
  std::rotate(doc.sections.begin() + to, doc.sections.begin() + from,
              doc.sections.begin() + from + 1);
  doc.sectionIndex.clear();
  for (std::size_t i = 0; i < doc.sections.size(); ++i)
    doc.sectionIndex.emplace(doc.sections[i].name, i);
  doc.dirty = true;
  doc.rewriteNeeded = true;
  if (deferred_) return true;
  return Persist(doc, IniFile);
}

std::string IniEditor::Serialize(const Document& doc) {
  std::string out;
  bool first = true;
  for (const Section& section : doc.sections) {
    for (const Line& line : section.lines) {
      if (!first) out += "\r\n";
      out += line.text;
      first = false;
    }
  }
  if (!first && doc.endsWithBreak) out += "\r\n";
  return out;
}

bool IniEditor::Persist(Document& doc, const std::string& path) {
  if (!doc.dirty) return true;
  std::string error;
  bool ok = doc.rewriteNeeded || !doc.exists ? ReplaceWhole(path, Serialize(doc), &error)
                                             : Append(path, doc.pendingAppend, &error);
  doc.dirty = false;
  doc.rewriteNeeded = false;
  doc.pendingAppend.clear();
  std::optional<FindEntry> entry = ok ? LookUpFile(path) : std::nullopt;
  if (!entry) {
    // What is on disk is unknown now: read it afresh next time.
    doc.loaded = false;
    if (ok) return true;
    lastError_ = error;
    return false;
  }
  doc.exists = true;
  doc.size = static_cast<std::int64_t>(entry->size);
  doc.writeTime = entry->lastWriteTime;
  return true;
}

void IniEditor::DeferWrites(bool deferred) {
  if (!deferred) Flush();
  deferred_ = deferred;
}

std::size_t IniEditor::PendingRewriteLines() const {
  std::size_t lines = 0;
  for (const auto& [path, doc] : documents_) {
    if (!doc.dirty || !(doc.rewriteNeeded || !doc.exists)) continue;
    std::size_t count = 0;
    for (const Section& section : doc.sections) count += section.lines.size();
    lines = std::max(lines, count);
  }
  return lines;
}

bool IniEditor::Flush() {
  bool ok = true;
  for (auto& [path, doc] : documents_) ok = Persist(doc, path) && ok;
  return ok;
}

}  // namespace tarnwick
