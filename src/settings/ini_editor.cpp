#include "settings/ini_editor.h"

#include <set>

#include "engine/helpers.h"

namespace tarnwick {
namespace {

constexpr std::size_t kValueBuffer = 255;
constexpr std::size_t kKeyListBuffer = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

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

IniEditor::IniEditor(FileSystem& fs) : fs_(fs) {}

void IniEditor::Load(Document& doc, const std::string& path) {
  doc = Document();
  doc.loaded = true;
  std::optional<FindEntry> entry = fs_.LookUp(path);
  std::string content;
  if (!entry || entry->IsFolder() || !fs_.ReadTextFile(path, content, nullptr)) return;
  doc.exists = true;
  doc.size = static_cast<std::int64_t>(entry->size);
  doc.writeTime = entry->lastWriteTime;
  std::size_t pos = 0;
  bool inSection = false;
  while (pos < content.size()) {
    std::size_t end = content.find_first_of("\r\n", pos);
    Line line;
    line.text = content.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (end == std::string::npos) {
      pos = content.size();
      doc.endsWithBreak = false;
    } else {
      pos = end + ((content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n')
                       ? 2
                       : 1);
    }
    std::string_view trimmed = TrimBlanks(line.text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      std::size_t close = trimmed.find(']');
      line.kind = Line::kSection;
      line.name = LowerCase(TrimBlanks(trimmed.substr(1, close == std::string_view::npos
                                                             ? std::string_view::npos
                                                             : close - 1)));
      inSection = true;
    } else if (inSection && !trimmed.empty() && trimmed.front() != ';') {
      std::size_t eq = trimmed.find('=');
      if (eq != std::string_view::npos) {
        line.kind = Line::kKey;
        line.name = LowerCase(TrimBlanks(trimmed.substr(0, eq)));
      }
    }
    doc.lines.push_back(std::move(line));
  }
}

IniEditor::Document& IniEditor::Current() {
  Document& doc = documents_[IniFile];
  // Pending writes are newer than the file; otherwise check the file has not been changed.
  if (doc.dirty) return doc;
  std::optional<FindEntry> entry = fs_.LookUp(IniFile);
  if (!doc.loaded) {
    Load(doc, IniFile);
  } else if (!entry || entry->IsFolder()) {
    if (doc.exists) Load(doc, IniFile);
  } else if (!doc.exists || static_cast<std::int64_t>(entry->size) != doc.size ||
             entry->lastWriteTime != doc.writeTime) {
    Load(doc, IniFile);
  }
  return doc;
}

bool IniEditor::FindSection(const Document& doc, const std::string& lowered, std::size_t& header,
                            std::size_t& end) const {
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    if (doc.lines[i].kind == Line::kSection && doc.lines[i].name == lowered) {
      header = i;
      end = i + 1;
      while (end < doc.lines.size() && doc.lines[end].kind != Line::kSection) ++end;
      return true;
    }
  }
  return false;
}

std::optional<std::string> IniEditor::Lookup(Document& doc, const std::string& key) {
  std::size_t header, end;
  if (!FindSection(doc, LowerCase(TrimBlanks(IniSection)), header, end)) return std::nullopt;
  std::string name = LowerCase(TrimBlanks(key));
  for (std::size_t i = header + 1; i < end; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == Line::kKey && line.name == name) {
      std::string_view text = line.text;
      return Unquote(TrimBlanks(text.substr(text.find('=') + 1)));
    }
  }
  return std::nullopt;
}

std::string IniEditor::ReadIniValue(const std::string& key, const std::string& defaultValue) {
  std::optional<std::string> value = Lookup(Current(), key);
  std::string result = value ? *value : defaultValue;
  if (result.size() > kValueBuffer - 1) result.resize(kValueBuffer - 1);
  return result;
}

std::int16_t IniEditor::ReadIniSection(IniSectionTable& table) {
  Document& doc = Current();
  std::size_t header, end;
  if (!FindSection(doc, LowerCase(TrimBlanks(IniSection)), header, end)) return 0;
  // The key names as the old function copied them: each closed by a NUL, the list by one more,
  // cut to the buffer with the last name cut and two NULs at the end.
  std::string list;
  for (std::size_t i = header + 1; i < end; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind != Line::kKey) continue;
    std::string_view text = line.text;
    list += TrimBlanks(TrimBlanks(text).substr(0, TrimBlanks(text).find('=')));
    list += '\0';
  }
  if (list.size() + 1 > kKeyListBuffer) list.resize(kKeyListBuffer - 2);
  list += '\0';
  list += '\0';
  std::int16_t count = 0;
  std::size_t pos = 0;
  while (list[pos] != '\0') {
    std::size_t nul = list.find('\0', pos);
    std::string key = list.substr(pos, nul - pos);
    if (count == 0) {
      table.keys.clear();
      table.values.clear();
    }
    table.values.push_back(ReadIniValue(key, ""));
    table.keys.push_back(std::move(key));
    pos = nul + 1;
    ++count;
  }
  return count;
}

std::vector<std::pair<std::string, std::string>> IniEditor::ReadWholeSection() {
  std::vector<std::pair<std::string, std::string>> result;
  Document& doc = Current();
  std::size_t header, end;
  if (!FindSection(doc, LowerCase(TrimBlanks(IniSection)), header, end)) return result;
  std::set<std::string> seen;
  for (std::size_t i = header + 1; i < end; ++i) {
    const Line& line = doc.lines[i];
    if (line.kind != Line::kKey || !seen.insert(line.name).second) continue;
    std::string_view text = TrimBlanks(line.text);
    std::size_t eq = text.find('=');
    result.emplace_back(std::string(TrimBlanks(text.substr(0, eq))),
                        Unquote(TrimBlanks(text.substr(eq + 1))));
  }
  return result;
}

std::int16_t IniEditor::WriteIniValue(const std::string& key, const std::string& value) {
  std::string_view trimmedKey = TrimBlanks(key);
  std::string_view section = TrimBlanks(IniSection);
  if (trimmedKey.empty() || HasLineBreak(key) || key.find('=') != std::string::npos ||
      trimmedKey.front() == '[' || trimmedKey.front() == ';' || HasLineBreak(value) ||
      section.empty() || HasLineBreak(IniSection) || section.find(']') != std::string::npos) {
    lastError_ = "the name or value cannot be stored in a profile file";
    return 0;
  }
  Document& doc = Current();
  std::string text = key + "=" + value;
  std::string name = LowerCase(trimmedKey);
  std::size_t header, end;
  auto appendLines = [&doc](std::initializer_list<std::string> lines) {
    if (!doc.endsWithBreak && !doc.lines.empty()) doc.pendingAppend += "\r\n";
    for (const std::string& line : lines) {
      doc.pendingAppend += line + "\r\n";
      Line parsed;
      parsed.text = line;
      doc.lines.push_back(std::move(parsed));
    }
    doc.endsWithBreak = true;
  };
  if (!FindSection(doc, LowerCase(section), header, end)) {
    appendLines({"[" + std::string(section) + "]", text});
    doc.lines[doc.lines.size() - 2].kind = Line::kSection;
    doc.lines[doc.lines.size() - 2].name = LowerCase(section);
    doc.lines.back().kind = Line::kKey;
    doc.lines.back().name = name;
  } else {
    std::size_t found = end, lastKey = header;
    for (std::size_t i = header + 1; i < end; ++i) {
      if (doc.lines[i].kind != Line::kKey) continue;
      lastKey = i;
      if (found == end && doc.lines[i].name == name) found = i;
    }
    if (found != end) {
      if (doc.lines[found].text == text) return 1;  // nothing to change
      doc.lines[found].text = text;
      doc.rewriteNeeded = true;
    } else if (lastKey + 1 == doc.lines.size()) {
      appendLines({text});
      doc.lines.back().kind = Line::kKey;
      doc.lines.back().name = name;
    } else {
      Line line;
      line.text = text;
      line.kind = Line::kKey;
      line.name = name;
      doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1),
                       std::move(line));
      doc.rewriteNeeded = true;
    }
  }
  doc.dirty = true;
  if (deferred_) return 1;
  return Persist(doc, IniFile) ? 1 : 0;
}

std::string IniEditor::Serialize(const Document& doc) {
  std::string out;
  for (std::size_t i = 0; i < doc.lines.size(); ++i) {
    out += doc.lines[i].text;
    if (i + 1 < doc.lines.size() || doc.endsWithBreak) out += "\r\n";
  }
  return out;
}

bool IniEditor::Persist(Document& doc, const std::string& path) {
  if (!doc.dirty) return true;
  std::string error;
  bool ok = doc.rewriteNeeded || !doc.exists
                ? fs_.ReplaceFile(path, Serialize(doc), &error)
                : fs_.AppendToFile(path, doc.pendingAppend, &error);
  doc.dirty = false;
  doc.rewriteNeeded = false;
  doc.pendingAppend.clear();
  std::optional<FindEntry> entry = ok ? fs_.LookUp(path) : std::nullopt;
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

bool IniEditor::Flush() {
  bool ok = true;
  for (auto& [path, doc] : documents_) ok = Persist(doc, path) && ok;
  return ok;
}

}  // namespace tarnwick
