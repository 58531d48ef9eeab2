#include <unistd.h>

#include <iostream>

#include "cli/app.h"

int main(int argc, char** argv) {
  const travimo::cli::Streams streams{std::cout, std::cerr, isatty(STDERR_FILENO) == 1,
                                      STDIN_FILENO};
  return travimo::cli::Run(argc, argv, streams);
}
