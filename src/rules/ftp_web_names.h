#pragma once

namespace tarnwick {

// The change log's name, in the FTP web (the latest run) and in its uploads folder (every
// run); any letter case of it in those places is the log.
inline constexpr const char* kLogName = "changes.ini";

// What follows the destination's path to make the path of its uploads folder.
inline constexpr const char* kUploadsSuffix = "-Uploads";

}  // namespace tarnwick
