#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const int status = flowdesk::runCli(arguments, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
