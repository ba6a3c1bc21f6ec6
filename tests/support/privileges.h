#pragma once

#ifndef _WIN32
#include <sys/types.h>

#include <string>

namespace tarnwick::testing {

// What tests that need a privilege or a kernel feature ask first. Each answers why the
// feature cannot be had here, as a reason to skip with, or "" when it can.

// The user that tests running as the administrator take on so that permissions count.
inline constexpr uid_t kNobody = 65534;

// A bind mount inside a mount namespace of its own (`unshare -m --propagation private`): needs
// the administrator, unshare, a kernel and a container that allow both, and a root that is a
// mount point.
std::string BindMountProblem();

// Access denied by permissions: a file of mode 000 cannot be opened by this process or, when it
// is the administrator, by a child that became kNobody.
std::string PermissionProblem();

}  // namespace tarnwick::testing
#endif
