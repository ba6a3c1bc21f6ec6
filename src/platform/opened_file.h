#pragma once

#include <cstdint>
#include <string>

#include "platform/file_identity.h"

namespace tarnwick {

// A file one folder opened for reading so that another can copy it: the native handle (a
// descriptor on POSIX; none on Windows, where the copy reads the file by its path) and what the
// system said of the file when it was opened.
class OpenedFile {
 public:
  static constexpr std::intptr_t kNone = -1;

  OpenedFile() = default;
  ~OpenedFile() { Close(); }
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  void Close();

  std::intptr_t handle = kNone;
  std::string path;        // as the source folder composes it
  std::string name;        // the entry in the source folder
  FileIdentity file;       // the file opened
  FileIdentity holder;     // the source folder, so a copy onto its own entry is known
  std::uint32_t mode = 0;  // permission bits on POSIX, attributes on Windows
  bool readOnly = false;   // no owner write bit, or the read-only attribute
  std::uint64_t size = 0;
  std::int64_t lastAccessTime = 0;  // nanoseconds since the Unix epoch
  std::int64_t lastWriteTime = 0;
};

}  // namespace tarnwick
