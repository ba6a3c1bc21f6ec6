#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// A path inside a web, relative to its root: the root itself, or names one below the other.
// Its text has the platform's separator before each name ("" for the root, "/a/b.htm"), the
// form the work list shows; a file system path is made of it only where one is needed.
class WebPath {
 public:
  WebPath() = default;
  // From the text form above.
  static WebPath FromText(std::string text);
  // From names with "/" between them and none at the start ("_borders/top.htm").
  static WebPath FromSlashed(std::string_view path);

  bool IsRoot() const { return text_.empty(); }
  WebPath Join(std::string_view name) const;
  // The folder that holds it; the root for a name at the top and for the root itself.
  WebPath Parent() const;
  // The last name; empty for the root.
  std::string_view Name() const;
  std::vector<std::string_view> Parts() const;
  // How many names from the root on this path and other have in common, exactly.
  std::size_t CommonParts(const WebPath& other) const;

  const std::string& Text() const { return text_; }
  // The names with "/" between them, as the site check names files.
  std::string Slashed() const;
  // What tells two paths apart on this platform: the text lowered where names ignore case.
  std::string Key() const;
  // The file system path below root (a folder path without a separator at its end).
  std::string NativeIn(const std::string& root) const { return root + text_; }

  friend bool operator==(const WebPath&, const WebPath&) = default;

 private:
  explicit WebPath(std::string text) : text_(std::move(text)) {}

  std::string text_;
};

}  // namespace tarnwick
