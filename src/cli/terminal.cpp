#include "cli/terminal.h"

#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include "platform/windows_api.h"
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void NoteInterrupt(int) { interrupted = 1; }

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

}  // namespace

bool StandardOutputIsTerminal() { return IsTerminal(stdout); }

bool StandardErrorIsTerminal() { return IsTerminal(stderr); }

int StandardErrorColumns() {
#ifdef _WIN32
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
    return info.srWindow.Right - info.srWindow.Left + 1;
  }
#else
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
  return 80;
}

void CatchInterrupt() { std::signal(SIGINT, NoteInterrupt); }

bool InterruptRequested() { return interrupted != 0; }

}  // namespace tarnwick
