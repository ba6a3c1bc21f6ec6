#include "check/reference.h"

#include <algorithm>
#include <array>

#include "base/text.h"

namespace tarnwick {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSlash(char c) { return c == '/' || c == '\\'; }

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%XX" becomes the byte; a "%" not followed by two hex digits stays as it is, as browsers
// leave it.
std::string PercentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += text[i];
  }
  return decoded;
}

// The length of a scheme ("http" in "http:...") at the start of text, or 0.
std::size_t SchemeLength(std::string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ':') return i;
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

ReferencePath Form(ReferenceForm form) {
  ReferencePath path;
  path.form = form;
  return path;
}

}  // namespace

ReferencePath ParseReference(std::string_view raw) {
  std::string text;
  text.reserve(raw.size());
  for (char c : raw)
    if (c != '\t' && c != '\n' && c != '\r') text += c;
  // Browsers drop spaces and control characters at both ends.
  std::string_view t(text);
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= 0x20) t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= 0x20) t.remove_suffix(1);
  if (t.empty()) return Form(ReferenceForm::kNotFollowed);

  // Server code ("<% %>", "<? ?>") is run when the page is served. Where it builds the path
  // itself there is nothing to follow; in the query or the fragment it leaves the path fixed.
  const std::size_t code = std::min(t.find("<%"), t.find("<?"));
  if (code != std::string_view::npos) {
    std::size_t cut = 0;
    while (cut < code && t[cut] != '?' && t[cut] != '#') ++cut;
    if (cut == code) return Form(ReferenceForm::kNotFollowed);
    t = t.substr(0, cut);
  }
  if (EqualsNoCase(t, "--WEBBOT-SELF--")) return Form(ReferenceForm::kWebbotSelf);
  if (t.size() >= 2 && IsSlash(t[0]) && IsSlash(t[1])) {
    // "\\server\share" is a network share of the author's; "//host/x" another site.
    return Form(t[0] == '\\' && t[1] == '\\' ? ReferenceForm::kLocal : ReferenceForm::kNotFollowed);
  }
  if (const std::size_t scheme = SchemeLength(t); scheme > 0) {
    // A one-letter scheme is a drive letter: "C:\web\x.htm", "c:/x", "C:x".
    if (scheme == 1 || EqualsNoCase(t.substr(0, scheme), "file"))
      return Form(ReferenceForm::kLocal);
    return Form(ReferenceForm::kNotFollowed);
  }
  if (const std::size_t hash = t.find('#'); hash != std::string_view::npos) t = t.substr(0, hash);
  if (const std::size_t query = t.find('?'); query != std::string_view::npos)
    t = t.substr(0, query);
  if (t.empty()) return Form(ReferenceForm::kNotFollowed);

  ReferencePath path = Form(ReferenceForm::kPath);
  path.fromRoot = IsSlash(t[0]);
  path.folder = IsSlash(t.back());
  std::size_t start = 0;
  while (start <= t.size()) {
    std::size_t end = start;
    while (end < t.size() && !IsSlash(t[end])) ++end;
    if (end > start) path.segments.push_back(PercentDecode(t.substr(start, end - start)));
    start = end + 1;
  }
  if (!path.segments.empty() && (path.segments.back() == "." || path.segments.back() == ".."))
    path.folder = true;
  return path;
}

std::optional<std::vector<std::string>> ResolveReference(
    const ReferencePath& reference, const std::vector<std::string>& baseFolder) {
  std::vector<std::string> resolved;
  if (!reference.fromRoot) resolved = baseFolder;
  for (const std::string& segment : reference.segments) {
    if (segment == ".") continue;
    if (segment == "..") {
      if (!resolved.empty()) resolved.pop_back();
      continue;
    }
    if (segment.find('/') != std::string::npos || segment.find('\0') != std::string::npos)
      return std::nullopt;
    resolved.push_back(segment);
  }
  return resolved;
}

std::string ExtensionProgram(const std::vector<std::string>& segments) {
  static constexpr std::array<std::string_view, 3> kPrograms = {"shtml.dll", "shtml.exe",
                                                                "fpcount.exe"};
  std::string found;
  for (const std::string& segment : segments) {
    const std::string lowered = LowerCase(segment);
    if (lowered == "_vti_bin" && found.empty()) found = segment;
    for (std::string_view program : kPrograms)
      if (lowered == program) found = segment;
  }
  return found;
}

}  // namespace tarnwick
