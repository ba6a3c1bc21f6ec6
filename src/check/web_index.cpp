#include "check/web_index.h"

#include <algorithm>

#include "base/path.h"

namespace tarnwick {
namespace {

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = Lower(a[i]);
    const char y = Lower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

const std::string* FindName(const std::vector<std::string>& sorted, const std::string& name,
                            bool& caseOnly) {
  auto first = std::lower_bound(sorted.begin(), sorted.end(), name,
                                [](const std::string& entry, const std::string& key) {
                                  return CompareNoCase(entry, key) < 0;
                                });
  const std::string* match = nullptr;
  for (auto it = first; it != sorted.end() && CompareNoCase(*it, name) == 0; ++it) {
    if (*it == name) {
      caseOnly = false;
      return &*it;
    }
    if (!match) match = &*it;
  }
  caseOnly = match != nullptr;
  return match;
}

WebIndex::WebIndex(FileSystem& fs, std::string root, std::size_t keptNames)
    : fs_(fs), root_(StripTrailingSeparators(root)), capacity_(keptNames) {}

const WebIndex::Entry& WebIndex::Listing(const std::string& key) {
  if (auto found = byKey_.find(key); found != byKey_.end()) {
    recent_.splice(recent_.begin(), recent_, found->second);
    return found->second->second;
  }
  Entry entry;
  entry.ok = fs_.ReadFolder(root_ + key, entry.listing, &entry.reason);
  const std::size_t names = entry.listing.files.size() + entry.listing.folders.size() + 1;
  while (!recent_.empty() && names_ + names > capacity_) {
    const Entry& old = recent_.back().second;
    names_ -= old.listing.files.size() + old.listing.folders.size() + 1;
    byKey_.erase(recent_.back().first);
    recent_.pop_back();
  }
  names_ += names;
  recent_.emplace_front(key, std::move(entry));
  byKey_[key] = recent_.begin();
  return recent_.front().second;
}

WebLookup WebIndex::Find(const std::vector<std::string>& segments, bool wantFolder) {
  WebLookup lookup;
  lookup.segments.reserve(segments.size());
  if (segments.empty()) {
    lookup.outcome = WebLookup::Outcome::kFound;
    lookup.folder = true;
    return lookup;
  }
  std::string key;  // the real names found so far, which lead to the next listing
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) {
      key += kPathSeparator;
      key += lookup.segments.back();
    }
    const Entry& entry = Listing(key);
    if (!entry.ok) {
      lookup.outcome = WebLookup::Outcome::kUnreadable;
      lookup.unreadable = root_ + key;
      lookup.reason = entry.reason;
      return lookup;
    }
    const bool last = i + 1 == segments.size();
    bool caseOnly = false;
    const std::string* name = nullptr;
    bool folder = true;
    if (last && !wantFolder) {
      // A file first; a folder named without its "/" is served too.
      name = FindName(entry.listing.files, segments[i], caseOnly);
      folder = false;
      if (!name || caseOnly) {
        bool folderCaseOnly = false;
        if (const std::string* other = FindName(entry.listing.folders, segments[i], folderCaseOnly);
            other && (!name || !folderCaseOnly)) {
          name = other;
          caseOnly = folderCaseOnly;
          folder = true;
        }
      }
    } else {
      name = FindName(entry.listing.folders, segments[i], caseOnly);
    }
    if (!name) {
      lookup.outcome = WebLookup::Outcome::kMissing;
      lookup.segments.clear();
      return lookup;
    }
    lookup.caseOnly = lookup.caseOnly || caseOnly;
    lookup.segments.push_back(*name);
    lookup.folder = folder;
  }
  lookup.outcome = WebLookup::Outcome::kFound;
  return lookup;
}

}  // namespace tarnwick
