#include "platform/folder_lock.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <unistd.h>
#endif

namespace tarnwick {

FolderLock::~FolderLock() { Release(); }

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

void FolderLock::Release() {
  if (handle_ == kNone) return;
    // Closing the last handle is what gives the lock up.
#ifdef _WIN32
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
  ::close(static_cast<int>(handle_));
#endif
  handle_ = kNone;
}

}  // namespace tarnwick
