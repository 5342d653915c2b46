#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/qt/core/SystemCliEnvironment.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const flowdesk::SystemCliEnvironment system;
  const int status = flowdesk::runCli(arguments, std::cout, std::cerr, system.environment());
  std::cout.flush();
  return status;
}
