#include "cli/commands.h"
#include "cli/read_run.h"
#include "cli/session.h"

namespace travimo::cli {

int RunReadCommand(const ReadCommand& command, Console& console) {
  // A device given by path stands for whatever port number the control uses.
  ControlSession session(command.device.empty() ? posix::PortResolver(posix::DefaultDeviceFor)
                                                : FixedDevice(command.device));
  ReadRequest request;
  request.settings = command.settings;
  request.propsFile = command.propsFile;
  return RunRead(session, request, command.output, console);
}

}  // namespace travimo::cli
