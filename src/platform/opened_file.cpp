#include "platform/opened_file.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <unistd.h>
#endif

namespace tarnwick {

void OpenedFile::Close() {
  if (handle == kNone) return;
#ifdef _WIN32
  CloseHandle(reinterpret_cast<HANDLE>(handle));
#else
  ::close(static_cast<int>(handle));
#endif
  handle = kNone;
}

}  // namespace tarnwick
