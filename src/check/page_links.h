#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What the check reads of a file, by its name.
enum class PageType { kOther, kHtml, kCss };
PageType PageTypeOf(std::string_view fileName);

struct PageReference {
  std::int64_t line = 0;
  std::string written;       // as the page has it
  std::string target;        // what is followed; differs from written only for an applet's class
  std::size_t position = 0;  // where it starts in the page's text
};

// A component of the editor, kept in a comment (<!--webbot bot="..." ...-->).
struct PageComponent {
  std::int64_t line = 0;
  std::string written;  // the bot="..." part as the comment has it
  std::string name;     // the bot's name
};

struct PageLinks {
  std::vector<PageReference> references;  // in the page's order, each once
  std::vector<PageComponent> components;
  bool hasBase = false;  // a <base href> sets where relative references start
  std::string base;
};

// Reads pages with a real HTML parser (gumbo), which tolerates the editor's old markup and
// gives line numbers. One reader per thread; its memory is reused from page to page.
class PageReader {
 public:
  PageReader();
  ~PageReader();
  PageReader(const PageReader&) = delete;
  PageReader& operator=(const PageReader&) = delete;

  PageLinks Read(std::string_view bytes, PageType type);

 private:
  class Arena;
  std::unique_ptr<Arena> arena_;
  std::string converted_;
};

}  // namespace tarnwick
