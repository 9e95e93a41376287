#include <iostream>
#include <string>
#include <vector>

#include "view/view_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return quendrix::view::RunViewer(args, std::cout, std::cerr);
}
