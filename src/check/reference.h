#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What a reference in a page asks for, judged by its text alone.
enum class ReferenceForm {
  kNotFollowed,  // another site, mail, script, a fragment, the page itself, a server-built path
  kLocal,        // the author's own disk: file:, a drive letter, a network share
  kWebbotSelf,   // a form posting to the extensions' own handler
  kPath,         // a file or folder of the web
};

struct ReferencePath {
  ReferenceForm form = ReferenceForm::kNotFollowed;
  bool fromRoot = false;  // "/x": taken from the web's root
  bool folder = false;    // ends with "/": a folder is meant
  // Percent-decoded; "." and ".." are left for ResolveReference.
  std::vector<std::string> segments;
};

// Reads a reference as a browser would: blanks at the ends and tabs and line breaks inside
// dropped, "\" taken as "/", query and fragment cut off (server code in them with them),
// each segment percent-decoded.
ReferencePath ParseReference(std::string_view text);

// The path from the web's root that the reference names, seen from a page whose references
// start in baseFolder (folder names from the root). "." and ".." are applied; ".." never
// climbs above the root, as browsers stop there. Empty when a decoded segment holds a
// character no file name can hold ("/" or NUL).
std::optional<std::vector<std::string>> ResolveReference(
    const ReferencePath& reference, const std::vector<std::string>& baseFolder);

// Whether a path of the web names one of the extensions' programs (_vti_bin, shtml.dll,
// shtml.exe, fpcount.exe), which a plain host does not have. The name of the program, or
// empty.
std::string ExtensionProgram(const std::vector<std::string>& segments);

}  // namespace tarnwick
