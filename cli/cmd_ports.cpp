// The serial devices of this machine and the CommPort number that reaches each.
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/port_records.h"

namespace travimo::cli {

int RunPortsCommand(const PortsCommand& command, Console& console) {
  const auto ports = PresentPorts(ListPorts());
  if (command.json) {
    WritePortJson(ports, command.verbose, console.out);
  } else {
    WritePortTable(ports, command.verbose, console.out);
  }
  return ExitStatus::Ok;
}

}  // namespace travimo::cli
