#ifdef _WIN32

#include "platform/windows_text.h"

#include "platform/windows_api.h"

namespace tarnwick {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::wstring WideFrom(UINT codePage, DWORD flags, std::string_view text, bool* ok) {
  if (ok) *ok = true;
  if (text.empty()) return {};
  int length =
      MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) {
    if (ok) *ok = false;
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) { return WideFrom(CP_UTF8, 0, text, nullptr); }

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                      nullptr, nullptr);
  return out;
}

std::wstring WidePath(std::string_view path) {
  std::wstring wide = WideFromUtf8(path);
  // Below this length every form of path works as it is.
  if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  length = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':') return L"\\\\?\\" + full;
  return wide;
}

std::string TextFromFileBytes(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
    return std::string(bytes.substr(kUtf8Mark.size()));
  if (IsAscii(bytes) || GetACP() == CP_UTF8) return std::string(bytes);
  return Utf8FromWide(WideFrom(CP_ACP, 0, bytes, nullptr));
}

bool AnsiFileBytes(std::string_view text, std::string& bytes) {
  if (IsAscii(text) || GetACP() == CP_UTF8) {
    bytes.assign(text);
    return true;
  }
  bool valid = false;
  std::wstring wide = WideFrom(CP_UTF8, MB_ERR_INVALID_CHARS, text, &valid);
  if (!valid) {
    bytes.assign(text);
    return true;
  }
  BOOL usedDefault = FALSE;
  int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                          nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  bytes.assign(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      bytes.data(), length, nullptr, nullptr);
  return true;
}

std::string FileBytesFromText(std::string_view text) {
  std::string bytes;
  if (AnsiFileBytes(text, bytes)) return bytes;
  return std::string(kUtf8Mark) + std::string(text);
}

}  // namespace tarnwick

#endif  // _WIN32
