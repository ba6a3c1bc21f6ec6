#pragma once

#ifdef _WIN32

#include <string>

#include "platform/opened_file.h"

namespace tarnwick::win32 {

// The regular file at path (a link to one followed), entry name of the folder held as holder,
// opened so that another folder can copy it.
bool OpenForCopyAt(const std::string& path, const std::string& name, const FileIdentity& holder,
                   OpenedFile& file, std::string* error);

// Copies the opened file to name in the folder at folderPath, whose identity is here (known:
// false when it could not be read), as Folder::CopyFileAs describes.
bool CopyOpenedFile(const OpenedFile& in, const std::string& folderPath, const std::string& name,
                    const FileIdentity& here, bool hereKnown, std::string* error);

}  // namespace tarnwick::win32

#endif  // _WIN32
