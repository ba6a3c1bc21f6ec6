#include "check/page_text.h"

namespace tarnwick {
namespace {

// Windows-1252 0x80 to 0x9F; the five unassigned bytes keep their Latin-1 meaning.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool ValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    if ((*p & 0xE0) == 0xC0) {
      extra = 1;
      c = *p & 0x1F;
    } else if ((*p & 0xF0) == 0xE0) {
      extra = 2;
      c = *p & 0x0F;
    } else if ((*p & 0xF8) == 0xF0) {
      extra = 3;
      c = *p & 0x07;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      c = (c << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    static constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    p += extra + 1;
  }
  return true;
}

void Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out) {
  out.clear();
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    AppendUtf8(out, c);
  }
}

}  // namespace

std::string_view Utf8PageText(std::string_view bytes, std::string& converted) {
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
      Utf16ToUtf8(bytes, b0 == 0xFE, converted);
      return converted;
    }
  }
  if (ValidUtf8(bytes)) return bytes;
  converted.clear();
  converted.reserve(bytes.size() + bytes.size() / 8);
  for (char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    if (b < 0x80)
      converted += byte;
    else if (b < 0xA0)
      AppendUtf8(converted, kWindows1252High[b - 0x80]);
    else
      AppendUtf8(converted, b);
  }
  return converted;
}

std::int64_t CountLineBreaks(std::string_view text) {
  std::int64_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++breaks;
    } else if (text[i] == '\r') {
      ++breaks;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  return breaks;
}

}  // namespace tarnwick
