#pragma once

#ifndef _WIN32

#include <string>

#include "platform/opened_file.h"

namespace tarnwick::posix {

// The regular file name of the folder dir (a link to one followed) opened for reading;
// holder is the identity of dir.
bool OpenForCopyAt(int dir, const FileIdentity& holder, const std::string& dirPath,
                   const std::string& name, OpenedFile& file, std::string* error);

// Copies the opened file to name in the folder dir, whose identity is here, as
// Folder::CopyFileAs describes.
bool CopyOpenedFile(const OpenedFile& in, int dir, const FileIdentity& here,
                    const std::string& name, bool expectNew, std::string* error);

}  // namespace tarnwick::posix

#endif  // !_WIN32
