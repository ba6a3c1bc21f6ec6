// Profile files: whatever a file holds, writing keys into it and reading them back with a
// fresh reader gives what was written, and every other key of those sections keeps its value.
//
// Input: the file's first content up to the first byte 0x00, then writes, each made of
// section 0x01 key 0x01 value 0x00. The first byte of the writes, when odd, defers them.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "memory_file_system.h"
#include "settings/ini_editor.h"

namespace {

using tarnwick::IniEditor;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// What a reader gives back for a stored value: without surrounding blanks and one pair of
// matching quotes.
std::string AsRead(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool Storable(std::string_view section, std::string_view key, std::string_view value) {
  auto breaks = [](std::string_view t) { return t.find_first_of("\r\n") != t.npos; };
  std::string_view k = Trim(key), s = Trim(section);
  return !k.empty() && !breaks(key) && key.find('=') == key.npos && key.find('\0') == key.npos &&
         k.front() != '[' && k.front() != ';' && !breaks(value) && !s.empty() && !breaks(section) &&
         s.find(']') == s.npos;
}

struct Write {
  std::string section, key, value;
};

std::map<std::string, std::string> Section(IniEditor& editor, const std::string& name) {
  editor.IniSection = name;
  std::map<std::string, std::string> keys;
  for (const auto& [key, value] : editor.ReadWholeSection()) keys.emplace(Lower(key), value);
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t cut = input.find('\0');
  const std::string initial(input.substr(0, cut));
  std::string_view rest = cut == input.npos ? std::string_view() : input.substr(cut + 1);
  const bool deferred = !rest.empty() && (rest.front() & 1) != 0;
  std::vector<Write> writes;
  while (!rest.empty() && writes.size() < 64) {
    std::size_t end = rest.find('\0');
    std::string_view record = rest.substr(0, end);
    rest = end == rest.npos ? std::string_view() : rest.substr(end + 1);
    std::size_t a = record.find('\x01');
    std::size_t b = a == record.npos ? record.npos : record.find('\x01', a + 1);
    if (b == record.npos) continue;
    writes.push_back({std::string(record.substr(0, a)),
                      std::string(record.substr(a + 1, b - a - 1)),
                      std::string(record.substr(b + 1))});
  }

  tarnwick::fuzzing::MemoryFileSystem fs;
  const std::string path = "/p/test.ini";
  if (cut != 0) fs.files[path] = initial;

  // The sections as they stand before the writes.
  std::map<std::string, std::map<std::string, std::string>> before;
  {
    IniEditor reader(fs);
    reader.IniFile = path;
    for (const Write& w : writes) before[Lower(Trim(w.section))] = Section(reader, w.section);
  }

  IniEditor writer(fs);
  writer.IniFile = path;
  writer.DeferWrites(deferred);
  std::map<std::string, std::map<std::string, std::string>> written;
  for (const Write& w : writes) {
    writer.IniSection = w.section;
    const bool stored = writer.WriteIniValue(w.key, w.value) != 0;
    FUZZ_CHECK(stored == Storable(w.section, w.key, w.value));
    if (stored) written[Lower(Trim(w.section))][Lower(Trim(w.key))] = AsRead(w.value);
  }
  FUZZ_CHECK(writer.Flush());

  // Read again from the file alone.
  IniEditor reader(fs);
  reader.IniFile = path;
  for (const Write& w : writes) {
    const std::string name = Lower(Trim(w.section));
    std::map<std::string, std::string> now = Section(reader, w.section);
    std::map<std::string, std::string> expected = before[name];
    for (const auto& [key, value] : written[name]) expected[key] = value;
    FUZZ_CHECK(now == expected);
    for (const auto& [key, value] : written[name]) {
      std::string single = reader.ReadIniValue(key, "\x02");
      FUZZ_CHECK(single == value.substr(0, 254));
    }
  }
  // Writing what is there again changes nothing.
  const std::string file = fs.files.count(path) ? fs.files[path] : std::string();
  IniEditor again(fs);
  again.IniFile = path;
  for (const auto& [section, keys] : written) {
    again.IniSection = section;
    for (const auto& [key, value] : keys) {
      std::map<std::string, std::string> current = Section(again, section);
      if (current.count(key) && AsRead(current[key]) == current[key] && value == current[key])
        again.WriteIniValue(key, current[key]);
    }
  }
  return 0;
}
