#include "check/page_links.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <unordered_set>

#include "base/text.h"
#include "check/css_urls.h"
#include "check/page_text.h"

namespace tarnwick {
namespace {

// Attributes that name a file the page needs or leads to.
constexpr std::array<std::string_view, 7> kReferenceAttributes = {
    "href", "src", "background", "action", "lowsrc", "data", "usemap"};

constexpr std::array<std::string_view, 6> kHtmlExtensions = {".htm", ".html", ".shtml",
                                                             ".asp", ".aspx", ".php"};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The bot of a component comment: webbot bot="Name" .... The comment that closes a
// component's span (... endspan ...) is not a component of its own.
std::optional<PageComponent> ReadWebbot(std::string_view comment) {
  std::size_t i = 0;
  while (i < comment.size() && IsBlank(comment[i])) ++i;
  if (comment.size() - i < 7 || !EqualsNoCase(comment.substr(i, 6), "webbot") ||
      !IsBlank(comment[i + 6]))
    return std::nullopt;
  i += 6;
  std::optional<PageComponent> found;
  while (i < comment.size()) {
    while (i < comment.size() && IsBlank(comment[i])) ++i;
    const std::size_t nameStart = i;
    while (i < comment.size() && !IsBlank(comment[i]) && comment[i] != '=') ++i;
    const std::string_view name = comment.substr(nameStart, i - nameStart);
    if (i >= comment.size() || comment[i] != '=') {
      if (EqualsNoCase(name, "endspan")) return std::nullopt;
      if (name.empty()) ++i;
      continue;
    }
    ++i;
    std::string value;
    if (i < comment.size() && (comment[i] == '"' || comment[i] == '\'')) {
      const char quote = comment[i++];
      const std::size_t end = comment.find(quote, i);
      const std::size_t stop = end == std::string_view::npos ? comment.size() : end;
      value = comment.substr(i, stop - i);
      i = end == std::string_view::npos ? comment.size() : end + 1;
    } else {
      const std::size_t start = i;
      while (i < comment.size() && !IsBlank(comment[i])) ++i;
      value = comment.substr(start, i - start);
    }
    if (!found && EqualsNoCase(name, "bot")) {
      PageComponent component;
      component.line = CountLineBreaks(comment.substr(0, nameStart));
      component.written = comment.substr(nameStart, i - nameStart);
      component.name = value;
      found = component;
    }
  }
  return found;
}

// An applet's class as a path: "fphover.class" and "fphover" both give fphover.class, and a
// package name gives folders ("a.b.Clock" gives a/b/Clock.class).
std::string ClassFile(std::string_view code) {
  std::string name(code);
  if (name.size() > 6 && EqualsNoCase(std::string_view(name).substr(name.size() - 6), ".class"))
    name.resize(name.size() - 6);
  for (char& c : name)
    if (c == '.') c = '/';
  return name + ".class";
}

void AddCss(PageLinks& links, std::string_view css, const GumboSourcePosition& start) {
  for (CssReference& found : CssReferences(css)) {
    links.references.push_back(PageReference{start.line + found.lineBreaksBefore, found.address,
                                             found.address, start.offset + found.offset});
  }
}

void ReadApplet(PageLinks& links, const GumboElement& element) {
  const GumboAttribute* code = gumbo_get_attribute(&element.attributes, "code");
  const GumboAttribute* codebase = gumbo_get_attribute(&element.attributes, "codebase");
  const GumboAttribute* archive = gumbo_get_attribute(&element.attributes, "archive");
  std::string base = codebase ? codebase->value : "";
  if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
  // With an archive the classes come out of it; the first archive is what the page needs.
  if (archive && *archive->value) {
    std::string first(archive->value);
    first = std::string(TrimBlanks(first.substr(0, first.find(','))));
    links.references.push_back(PageReference{archive->value_start.line, archive->value,
                                             base + first, archive->value_start.offset});
  } else if (code && *code->value) {
    links.references.push_back(PageReference{code->value_start.line, code->value,
                                             base + ClassFile(code->value),
                                             code->value_start.offset});
  }
}

// A reference that starts at `at` in an attribute's value.
void AddFromValue(PageLinks& links, const GumboAttribute& attribute, std::size_t at,
                  std::size_t length) {
  const std::string_view value = attribute.value;
  const std::string address(value.substr(at, length));
  links.references.push_back(
      PageReference{attribute.value_start.line + CountLineBreaks(value.substr(0, at)), address,
                    address, attribute.value_start.offset + at});
}

// The candidates of srcset="a.jpg 1x, b.jpg 480w" as browsers split them: each address ends
// at a blank, its descriptors at the next comma outside parentheses.
void ReadSrcset(PageLinks& links, const GumboAttribute& attribute) {
  const std::string_view value = attribute.value;
  std::size_t i = 0;
  while (i < value.size()) {
    while (i < value.size() && (IsBlank(value[i]) || value[i] == ',')) ++i;
    const std::size_t start = i;
    while (i < value.size() && !IsBlank(value[i])) ++i;
    std::size_t end = i;
    if (end > start && value[end - 1] == ',') {
      while (end > start && value[end - 1] == ',') --end;
    } else {
      for (bool inParentheses = false; i < value.size() && (inParentheses || value[i] != ',');
           ++i) {
        if (value[i] == '(') inParentheses = true;
        if (value[i] == ')') inParentheses = false;
      }
    }
    if (end > start) AddFromValue(links, attribute, start, end - start);
  }
}

// <meta http-equiv="refresh" content="5; url=next.htm">: the address after the delay.
void ReadRefresh(PageLinks& links, const GumboElement& element, const GumboAttribute& content) {
  const GumboAttribute* equiv = gumbo_get_attribute(&element.attributes, "http-equiv");
  if (!equiv || !EqualsNoCase(TrimBlanks(equiv->value), "refresh")) return;
  const std::string_view value = content.value;
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < value.size() && IsBlank(value[i])) ++i;
  };
  skipBlanks();
  while (i < value.size() && ((value[i] >= '0' && value[i] <= '9') || value[i] == '.')) ++i;
  skipBlanks();
  if (i < value.size() && (value[i] == ';' || value[i] == ',')) ++i;
  skipBlanks();
  if (value.size() - i >= 3 && EqualsNoCase(value.substr(i, 3), "url")) {
    std::size_t after = i + 3;
    while (after < value.size() && IsBlank(value[after])) ++after;
    if (after < value.size() && value[after] == '=') {
      i = after + 1;
      skipBlanks();
    }
  }
  std::size_t end = value.size();
  if (i < value.size() && (value[i] == '"' || value[i] == '\'')) {
    const std::size_t close = value.find(value[i], i + 1);
    if (close != std::string_view::npos) end = close;
    ++i;
  }
  while (end > i && IsBlank(value[end - 1])) --end;
  // No address: the page reloads itself.
  if (end > i) AddFromValue(links, content, i, end - i);
}

void ReadElement(PageLinks& links, const GumboNode& node) {
  const GumboElement& element = node.v.element;
  if (element.tag == GUMBO_TAG_APPLET) ReadApplet(links, element);
  const bool hasSrcset = element.tag == GUMBO_TAG_IMG || element.tag == GUMBO_TAG_SOURCE;
  for (unsigned i = 0; i < element.attributes.length; ++i) {
    const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
    const std::string_view name = attribute->name;
    if (name == "style") {
      AddCss(links, attribute->value, attribute->value_start);
      continue;
    }
    if (hasSrcset && name == "srcset") {
      ReadSrcset(links, *attribute);
      continue;
    }
    if (element.tag == GUMBO_TAG_META && name == "content") {
      ReadRefresh(links, element, *attribute);
      continue;
    }
    bool wanted = false;
    for (std::string_view known : kReferenceAttributes) wanted = wanted || name == known;
    if (!wanted) continue;
    if (element.tag == GUMBO_TAG_BASE && name == "href" && !links.hasBase) {
      links.hasBase = true;
      links.base = attribute->value;
    }
    links.references.push_back(PageReference{attribute->value_start.line, attribute->value,
                                             attribute->value, attribute->value_start.offset});
  }
  if (element.tag == GUMBO_TAG_STYLE) {
    for (unsigned i = 0; i < element.children.length; ++i) {
      const auto* child = static_cast<const GumboNode*>(element.children.data[i]);
      if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
          child->type == GUMBO_NODE_CDATA)
        AddCss(links, child->v.text.text, child->v.text.start_pos);
    }
  }
}

// An element the parser re-opens (an unclosed <a> or <font> in each following paragraph) or
// splits is a copy with the attributes of the one in the source.
constexpr unsigned kCopiedElement =
    GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT | GUMBO_INSERTION_ADOPTION_AGENCY_CLONED;

// Each reference of the source once, where it first came: copies carry its position.
void DropCopies(std::vector<PageReference>& references) {
  std::unordered_set<std::size_t> seen;
  references.erase(std::remove_if(references.begin(), references.end(),
                                  [&](const PageReference& reference) {
                                    return !seen.insert(reference.position).second;
                                  }),
                   references.end());
}

}  // namespace

PageType PageTypeOf(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return PageType::kOther;
  const std::string_view extension = fileName.substr(dot);
  for (std::string_view html : kHtmlExtensions)
    if (EqualsNoCase(extension, html)) return PageType::kHtml;
  return EqualsNoCase(extension, ".css") ? PageType::kCss : PageType::kOther;
}

// The parser makes many small allocations and frees them one by one; from a block that is
// reused for every page they cost next to nothing, and the tree is dropped at once.
class PageReader::Arena {
 public:
  ~Arena() {
    Reset();
    for (Block& block : blocks_) std::free(block.data);
  }

  static void* Allocate(void* self, std::size_t size) {
    return static_cast<Arena*>(self)->Take(size);
  }
  static void Release(void*, void*) {}

  void Reset() {
    for (void* large : large_) std::free(large);
    large_.clear();
    // A huge page must not keep its memory for the rest of the check.
    while (blocks_.size() > kKeptBlocks) {
      std::free(blocks_.back().data);
      blocks_.pop_back();
    }
    current_ = 0;
    used_ = 0;
  }

 private:
  static constexpr std::size_t kBlockSize = 256 * 1024;
  static constexpr std::size_t kKeptBlocks = 32;
  struct Block {
    char* data;
  };

  void* Take(std::size_t size) {
    size = (size + 15) & ~std::size_t{15};
    if (size > kBlockSize / 4) {
      void* large = std::malloc(size);
      if (large) large_.push_back(large);
      return large;
    }
    if (blocks_.empty() || used_ + size > kBlockSize) {
      if (!blocks_.empty()) ++current_;
      if (current_ >= blocks_.size()) {
        auto* data = static_cast<char*>(std::malloc(kBlockSize));
        if (!data) return nullptr;
        blocks_.push_back(Block{data});
      }
      used_ = 0;
    }
    void* result = blocks_[current_].data + used_;
    used_ += size;
    return result;
  }

  std::vector<Block> blocks_;
  std::vector<void*> large_;
  std::size_t current_ = 0;
  std::size_t used_ = 0;
};

PageReader::PageReader() : arena_(std::make_unique<Arena>()) {}
PageReader::~PageReader() = default;

PageLinks PageReader::Read(std::string_view bytes, PageType type) {
  PageLinks links;
  const std::string_view text = Utf8PageText(bytes, converted_);
  if (type == PageType::kCss) {
    AddCss(links, text, GumboSourcePosition{1, 1, 0});
    return links;
  }
  if (type != PageType::kHtml) return links;

  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &Arena::Allocate;
  options.deallocator = &Arena::Release;
  options.userdata = arena_.get();
  options.max_errors = 0;  // the markup's faults are no concern here
  arena_->Reset();
  GumboOutput* output = gumbo_parse_with_options(&options, text.data(), text.size());
  if (output == nullptr) return links;

  // Depth first in the page's order, without recursion: nesting can be as deep as a page
  // likes.
  std::vector<const GumboNode*> stack = {output->document};
  bool copies = false;
  while (!stack.empty()) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    const GumboVector* children = nullptr;
    if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
      copies = copies || (node->parse_flags & kCopiedElement) != 0;
      ReadElement(links, *node);
      children = &node->v.element.children;
    } else if (node->type == GUMBO_NODE_DOCUMENT) {
      children = &node->v.document.children;
    } else if (node->type == GUMBO_NODE_COMMENT) {
      if (std::optional<PageComponent> component = ReadWebbot(node->v.text.text)) {
        component->line += node->v.text.start_pos.line;
        links.components.push_back(std::move(*component));
      }
    }
    if (children)
      for (unsigned i = children->length; i > 0; --i)
        stack.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
  }
  // The tree lives in the arena: nothing to free one by one.
  arena_->Reset();
  if (copies) DropCopies(links.references);
  return links;
}

}  // namespace tarnwick
