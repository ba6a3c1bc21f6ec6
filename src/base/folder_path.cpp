#include "base/folder_path.h"

#include <filesystem>
#include <system_error>

#include "base/path.h"
#include "base/text.h"

namespace tarnwick {

FolderPath::FolderPath(const std::string& typed) {
  if (TrimSpaces(typed).empty()) return;
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path absolute = fs::absolute(PathFromText(typed), error);
  if (error) {
    text_ = StripTrailingSeparators(typed);
    return;
  }
#ifdef _WIN32
  // The system itself takes "." and ".." off the text before it follows any link.
  absolute = absolute.lexically_normal();
#else
  fs::path resolved = fs::weakly_canonical(absolute, error);
  // A part of the path that cannot be examined (no access) stops the resolution; the text is
  // then left for the system to resolve, ".." included, rather than cut as text.
  if (!error && !resolved.empty()) absolute = resolved;
#endif
  text_ = StripTrailingSeparators(TextFromPath(absolute.make_preferred()));
}

}  // namespace tarnwick
