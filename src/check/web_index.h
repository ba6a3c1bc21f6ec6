#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick {

// Where a path of the web leads, by the names the folders really hold.
struct WebLookup {
  enum class Outcome { kFound, kMissing, kUnreadable };
  Outcome outcome = Outcome::kMissing;
  bool folder = false;                // a folder rather than a file
  bool caseOnly = false;              // found only when case is ignored
  std::vector<std::string> segments;  // the real names, when found
  std::string unreadable;             // the folder that could not be read, when unreadable
  std::string reason;
};

// Finds paths in a web through the listings of its folders, never by opening a path as
// typed: a name matches exactly or, failing that, without regard to case, whatever the
// platform's own rule. Links to folders are not entered, as the conversion does not enter
// them. Listings are kept up to a number of names, the least recently used going first, so
// that memory stays bounded however large the web.
class WebIndex {
 public:
  WebIndex(FileSystem& fs, std::string root, std::size_t keptNames = 250000);

  // wantFolder: the reference ended with "/".
  WebLookup Find(const std::vector<std::string>& segments, bool wantFolder);

 private:
  struct Entry {
    bool ok = false;
    std::string reason;
    FolderListing listing;
  };
  // key: the folder's path below the root, each name after a separator.
  const Entry& Listing(const std::string& key);

  FileSystem& fs_;
  std::string root_;
  std::size_t capacity_;
  std::size_t names_ = 0;                            // names in the kept listings
  std::list<std::pair<std::string, Entry>> recent_;  // most recent first
  std::unordered_map<std::string, std::list<std::pair<std::string, Entry>>::iterator> byKey_;
};

// Where name sits in a listing sorted without regard to case: the exact name if present,
// otherwise the first that matches without regard to case, otherwise nothing. caseOnly is
// set in the second case.
const std::string* FindName(const std::vector<std::string>& sorted, const std::string& name,
                            bool& caseOnly);

}  // namespace tarnwick
