// kelvory-sim: the toy on the simulated desktop, its trace on standard output.

#include <iostream>
#include <string_view>
#include <vector>

#include "app/kelvory_sim/command.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return kelvory::RunSimCommand(args, std::cout, std::cerr);
}
