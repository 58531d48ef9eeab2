#include "cli/commands.h"
#include "cli/exit_status.h"

namespace travimo::cli {

int RunDemoCommand(const DemoCommand&, Console& console) {
  console.err << "travimo: the simulator is not built into this version\n";
  return ExitStatus::Other;
}

int RunSimulateCommand(const SimulateCommand&, Console& console) {
  console.err << "travimo: the simulator is not built into this version\n";
  return ExitStatus::Other;
}

}  // namespace travimo::cli
