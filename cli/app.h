#pragma once
// The command line: subcommands, their options, help and version, and the
// exit status of whatever ran.
#include <ostream>

namespace travimo::cli {

struct Streams {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;
  int keyboardFd = -1;
};

int Run(int argc, const char* const* argv, const Streams& streams);

}  // namespace travimo::cli
