#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One address in a style sheet: url(...) or @import "...".
struct CssReference {
  std::int64_t lineBreaksBefore = 0;  // line breaks in the text before it
  std::size_t offset = 0;             // where it starts in the text
  std::string address;
};

// The addresses of a style sheet or style attribute, in order; comments and other strings
// are passed over.
std::vector<CssReference> CssReferences(std::string_view css);

}  // namespace tarnwick
