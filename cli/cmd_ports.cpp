// The serial devices under /dev and the CommPort number that reaches each.
#include <iomanip>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/port_list.h"
#include "platform/posix/termios_serial.h"

namespace travimo::cli {

int RunPortsCommand(Console& console) {
  const auto devices = ListSerialDevices("/dev", posix::DefaultDeviceFor);
  if (devices.empty()) {
    console.out << "No serial devices found.\n";
    return ExitStatus::Ok;
  }
  console.out << std::left << std::setw(10) << "CommPort"
              << "Device\n";
  for (const auto& device : devices) {
    const std::string port = device.commPort ? std::to_string(*device.commPort) : "-";
    console.out << std::left << std::setw(10) << port << device.path;
    if (!device.target.empty()) console.out << " -> " << device.target;
    console.out << '\n';
  }
  return ExitStatus::Ok;
}

}  // namespace travimo::cli
