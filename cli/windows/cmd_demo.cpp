// The simulator plays its instrument on a POSIX pseudo-terminal, which
// Windows does not have: demo and simulate say so instead of failing oddly.
#include "cli/commands.h"
#include "cli/exit_status.h"

namespace travimo::cli {

namespace {

int Unavailable(Console& console, const char* command) {
  console.err << "travimo: " << command
              << " needs the instrument simulator, which runs on Linux and other POSIX "
                 "systems only; on Windows read a connected instrument with: travimo read "
                 "--port N\n";
  return ExitStatus::Usage;
}

}  // namespace

int RunDemoCommand(const DemoCommand&, Console& console) {
  return Unavailable(console, "demo");
}

int RunSimulateCommand(const SimulateCommand&, Console& console) {
  return Unavailable(console, "simulate");
}

}  // namespace travimo::cli
