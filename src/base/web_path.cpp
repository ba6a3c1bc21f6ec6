#include "base/web_path.h"

#include <algorithm>

#include "base/path.h"

namespace tarnwick {

WebPath WebPath::FromText(std::string text) { return WebPath(std::move(text)); }

WebPath WebPath::FromSlashed(std::string_view path) {
  std::string text;
  text.reserve(path.size() + 1);
  text += kPathSeparator;
  for (char c : path) text += c == '/' ? kPathSeparator : c;
  return WebPath(std::move(text));
}

WebPath WebPath::Join(std::string_view name) const {
  std::string text;
  text.reserve(text_.size() + 1 + name.size());
  text += text_;
  text += kPathSeparator;
  text += name;
  return WebPath(std::move(text));
}

WebPath WebPath::Parent() const {
  std::size_t cut = text_.rfind(kPathSeparator);
  return WebPath(text_.substr(0, cut == std::string::npos ? 0 : cut));
}

std::string_view WebPath::Name() const {
  std::size_t cut = text_.rfind(kPathSeparator);
  return std::string_view(text_).substr(cut == std::string::npos ? 0 : cut + 1);
}

std::vector<std::string_view> WebPath::Parts() const {
  std::vector<std::string_view> parts;
  const std::string_view text(text_);
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t next = text.find(kPathSeparator, pos + 1);
    if (next == std::string_view::npos) next = text.size();
    parts.push_back(text.substr(pos + 1, next - pos - 1));
    pos = next;
  }
  return parts;
}

std::size_t WebPath::CommonParts(const WebPath& other) const {
  const std::vector<std::string_view> mine = Parts();
  const std::vector<std::string_view> theirs = other.Parts();
  const std::size_t most = std::min(mine.size(), theirs.size());
  std::size_t common = 0;
  while (common < most && mine[common] == theirs[common]) ++common;
  return common;
}

std::string WebPath::Slashed() const {
  std::string slashed = text_.empty() ? std::string() : text_.substr(1);
  std::replace(slashed.begin(), slashed.end(), kPathSeparator, '/');
  return slashed;
}

std::string WebPath::Key() const { return NameKey(text_); }

}  // namespace tarnwick
