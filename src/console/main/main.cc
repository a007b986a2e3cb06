// dorsel: the reference host's program.
#include <iostream>

#include "console/version.h"

int main() {
  std::cout << "dorsel " << console::version() << "\n";
  return 0;
}
