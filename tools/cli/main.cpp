#include <iostream>

#include "engine/database/embedded_resources.h"
#include "tools/cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return cw::RunCli(args, cw::EmbeddedGameResources(), std::cout, std::cerr);
}
