#pragma once

#ifdef _WIN32

#include <string>

namespace tarnwick::win32 {

// The whole text files of a folder at folderPath, their contents kept in the ANSI code page
// (see windows_text.h), as Folder::ReadTextFile, ReplaceFile and AppendToFile describe.
bool ReadTextFileIn(const std::string& folderPath, const std::string& name, std::string& content,
                    std::string* error);
bool ReplaceFileIn(const std::string& folderPath, const std::string& name,
                   const std::string& content, std::string* error);
bool AppendToFileIn(const std::string& folderPath, const std::string& name,
                    const std::string& content, std::string* error);

}  // namespace tarnwick::win32

#endif  // _WIN32
