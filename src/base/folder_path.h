#pragma once

#include <string>

namespace tarnwick {

// A folder as the user named it, made into the one text that every part of the program uses
// for it: absolute, with the platform's separators and none at the end, resolved as the
// system resolves it. On POSIX ".." after a link leads to the parent of the link's target,
// so the links are resolved first (std::filesystem::weakly_canonical); on Windows ".." is
// taken off the text before any link is followed, as GetFullPathNameW does.
// Both front ends build it from the typed text, so one text names one folder in the window
// and on the command line, and their memories agree.
class FolderPath {
 public:
  explicit FolderPath(const std::string& typed);

  // The resolved text; empty when nothing but blanks was typed.
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace tarnwick
