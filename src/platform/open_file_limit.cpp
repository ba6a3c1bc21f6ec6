#include "platform/open_file_limit.h"

#include <limits>

#ifndef _WIN32
#include <sys/resource.h>

#include <initializer_list>
#endif

namespace tarnwick {

void RaiseOpenFileLimit() {
#ifndef _WIN32
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
  struct rlimit raised = limit;
  raised.rlim_cur = limit.rlim_max;
  if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) return;
  // An unlimited hard limit is more than some systems take for descriptors (macOS: OPEN_MAX).
  for (rlim_t step : {rlim_t{1} << 20, rlim_t{1} << 16, rlim_t{10240}, rlim_t{4096}}) {
    if (step <= limit.rlim_cur || step > limit.rlim_max) continue;
    raised.rlim_cur = step;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) return;
  }
#endif
}

std::size_t OpenFileLimit() {
#ifndef _WIN32
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < std::numeric_limits<std::size_t>::max())
    return static_cast<std::size_t>(limit.rlim_cur);
#endif
  return std::numeric_limits<std::size_t>::max();
}

}  // namespace tarnwick
