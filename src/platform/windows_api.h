#pragma once

#ifdef _WIN32

// <windows.h> for the core's own files. Its macros CopyFile, DeleteFile, ReplaceFile and Yield
// would rename our own operations of those names, differently in each file that includes it.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef ReplaceFile
#undef Yield

#endif  // _WIN32
