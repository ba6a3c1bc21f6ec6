#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/terminal.h"
#include "platform/open_file_limit.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#include "platform/windows_text.h"
#endif

int main(int argc, char** argv) {
  tarnwick::RaiseOpenFileLimit();
#ifdef _WIN32
  // The narrow arguments are in the ANSI code page and lose names it cannot hold; the core
  // takes UTF-8, so the wide command line is read instead.
  (void)argc;
  (void)argv;
  std::vector<std::string> args;
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(tarnwick::Utf8FromWide(wide[i]));
    LocalFree(wide);
  }
  SetConsoleOutputCP(CP_UTF8);
#else
  std::vector<std::string> args(argv + 1, argv + argc);
#endif
  return tarnwick::RunCli(args, std::cout, std::cerr, tarnwick::StandardOutputIsTerminal(),
                          tarnwick::StandardErrorIsTerminal());
}
