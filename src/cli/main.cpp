#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/terminal.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tarnwick::RunCli(args, std::cout, std::cerr, tarnwick::StandardErrorIsTerminal());
}
