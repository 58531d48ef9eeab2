#pragma once
// Where a command writes: its results, its messages, and the keyboard it watches.
#include <ostream>

namespace travimo::cli {

struct Console {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;  // the status line is redrawn in place
  int keyboardFd = -1;         // Escape is watched here when it is a terminal
};

}  // namespace travimo::cli
