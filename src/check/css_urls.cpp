#include "check/css_urls.h"

#include "base/text.h"
#include "check/page_text.h"

namespace tarnwick {
namespace {

bool IsCssBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
  return text.size() - at >= word.size() && EqualsNoCase(text.substr(at, word.size()), word);
}

// A quoted string starting at text[at]; at ends after the closing quote (or at the end).
std::string ReadString(std::string_view text, std::size_t& at) {
  const char quote = text[at++];
  std::string value;
  while (at < text.size() && text[at] != quote) {
    if (text[at] == '\\' && at + 1 < text.size()) ++at;
    value += text[at++];
  }
  if (at < text.size()) ++at;
  return value;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
  while (at < text.size() && IsCssBlank(text[at])) ++at;
}

}  // namespace

std::vector<CssReference> CssReferences(std::string_view css) {
  std::vector<CssReference> found;
  std::int64_t lines = 0;
  std::size_t counted = 0;  // line breaks are counted up to here
  auto add = [&](std::size_t start, std::string address) {
    lines += CountLineBreaks(css.substr(counted, start - counted));
    counted = start;
    found.push_back(CssReference{lines, start, std::move(address)});
  };
  std::size_t i = 0;
  while (i < css.size()) {
    const char c = css[i];
    if (c == '/' && i + 1 < css.size() && css[i + 1] == '*') {
      const std::size_t end = css.find("*/", i + 2);
      i = end == std::string_view::npos ? css.size() : end + 2;
    } else if (c == '"' || c == '\'') {
      ReadString(css, i);
    } else if (c == '@' && StartsWithNoCase(css, i + 1, "import")) {
      const std::size_t start = i;
      i += 7;
      SkipBlanks(css, i);
      if (i < css.size() && (css[i] == '"' || css[i] == '\'')) add(start, ReadString(css, i));
    } else if ((c == 'u' || c == 'U') && StartsWithNoCase(css, i, "url(") &&
               (i == 0 || !IsNameChar(css[i - 1]))) {
      const std::size_t start = i;
      i += 4;
      SkipBlanks(css, i);
      if (i < css.size() && (css[i] == '"' || css[i] == '\'')) {
        add(start, ReadString(css, i));
      } else {
        std::string address;
        while (i < css.size() && css[i] != ')' && !IsCssBlank(css[i])) {
          if (css[i] == '\\' && i + 1 < css.size()) ++i;
          address += css[i++];
        }
        add(start, std::move(address));
      }
    } else {
      ++i;
    }
  }
  return found;
}

}  // namespace tarnwick
