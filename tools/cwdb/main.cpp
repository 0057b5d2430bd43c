#include <iostream>
#include <string>
#include <vector>

#include "tools/cwdb/cwdb_commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return cw::RunCwdb(arguments, std::cout, std::cerr);
}
