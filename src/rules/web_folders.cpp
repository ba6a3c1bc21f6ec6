#include "rules/web_folders.h"

#include <array>

#include "base/text.h"

namespace tarnwick {
namespace {

constexpr std::array<std::string_view, 5> kExclusionWords = {"_vti", "_private", "_fpclass",
                                                             "_borders", "_overlay"};

bool HoldsWord(std::string_view name, std::string_view word) {
  return LowerCase(name).find(word) != std::string::npos;
}

}  // namespace

bool IsExcludedFolder(std::string_view name) {
  const std::string lowered = LowerCase(name);
  for (std::string_view word : kExclusionWords)
    if (lowered.find(word) != std::string::npos) return true;
  return false;
}

bool IsPrivateFolder(std::string_view name) {
  return HoldsWord(name, "_vti") || HoldsWord(name, "_private");
}

}  // namespace tarnwick
