#include "platform/file_system.h"

#include <algorithm>

#include "platform/name_order.h"

namespace tarnwick {

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool NameLess(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(Lower(a[i]));
    unsigned char cb = static_cast<unsigned char>(Lower(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

void SortNames(std::vector<std::string>& names) { std::sort(names.begin(), names.end(), NameLess); }

std::vector<std::string> ListFiles(FileSystem& fs, const std::string& folder) {
  FolderListing listing;
  if (!fs.ReadFolder(folder, listing, nullptr)) return {};
  return std::move(listing.files);
}

}  // namespace tarnwick
