#include "cli/commands.h"
#include "cli/read_run.h"
#include "cli/session.h"

namespace travimo::cli {

int RunReadCommand(const ReadCommand& command, Console& console) {
  // A device given by path stands for whatever port number the control uses.
  ControlSession session(
      command.device.empty() ? PortResolver(NativeDeviceFor) : FixedDevice(command.device),
      command.trace);
  ReadRequest request;
  request.settings = command.settings;
  request.propsFile = command.propsFile;
#ifndef TRAVIMO_NO_ARCHIVE
  request.archive = command.archive;
#endif
  request.device = command.device;
  const int status = RunRead(session, request, command.output, console);
  session.ReportTrace(console.err);
  return status;
}

}  // namespace travimo::cli
