#include "support/privileges.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/temp_dir.h"

namespace tarnwick::testing {

std::string BindMountProblem() {
  if (geteuid() != 0) return "mount --bind needs root; this test does not run as root";
  if (std::system("command -v unshare >/dev/null 2>&1") != 0)
    return "no unshare (util-linux) to give the mount a namespace of its own";
  TempDir dir;
  MakeFolder(dir / "from");
  MakeFolder(dir / "to");
  WriteFile(dir / "from/probe", "x");
  const std::string script = "mount --bind \"$0\" \"$1\" && test -f \"$1/probe\"";
  const std::string command = "unshare -m --propagation private sh -c '" + script + "' '" +
                              (dir / "from") + "' '" + (dir / "to") + "' >'" + (dir / "said") +
                              "' 2>&1";
  if (std::system(command.c_str()) == 0) return "";
  std::string said = ReadFile(dir / "said");
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
  return "no bind mount in a mount namespace of its own here" +
         (said.empty() ? std::string() : ": " + said);
}

std::string PermissionProblem() {
  TempDir dir;
  const bool administrator = geteuid() == 0;
  if (administrator && lchown(dir.path().c_str(), kNobody, kNobody) != 0)
    return std::string("files cannot be given to the user nobody: ") + std::strerror(errno);
  const std::string file = dir / "probe";
  pid_t child = fork();
  if (child == 0) {
    if (administrator && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
    int fd = open(file.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0);
    if (fd < 0) _exit(3);
    close(fd);
    fd = open(file.c_str(), O_RDONLY);
    _exit(fd < 0 && errno == EACCES ? 0 : 4);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
    return "no child process to probe permissions with";
  switch (WEXITSTATUS(status)) {
    case 0:
      return "";
    case 2:
      return "the administrator cannot become the user nobody here";
    case 3:
      return "the user nobody cannot create a file in a folder given to it";
    default:
      return "a file of mode 000 can still be opened: permissions do not count here";
  }
}

}  // namespace tarnwick::testing
#endif
