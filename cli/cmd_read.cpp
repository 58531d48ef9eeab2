#include "cli/commands.h"
#include "cli/error_report.h"
#include "cli/port_records.h"
#include "cli/property_file.h"
#include "cli/read_run.h"
#include "cli/session.h"
#include <travimo/model/error.h>

namespace travimo::cli {

int RunReadCommand(const ReadCommand& command, Console& console) {
  // Without --device or --port, the device the property file remembers.
  std::string named = command.device;
  if (named.empty() && !command.settings.port && !command.propsFile.empty()) {
    named = RememberedDevice(command.propsFile);
  }
  std::string device = named;
  if (const auto alias = ParsePortAlias(named)) {
    try {
      device = ResolvePortAlias(named, *alias, PresentPorts(ListPorts()));
    } catch (const RuntimeError& error) {
      return ReportError(console.err, error.Number(), error.Description());
    }
  }
  // A device given by path stands for whatever port number the control uses.
  ControlSession session(device.empty() ? PortResolver(NativeDeviceFor) : FixedDevice(device),
                         command.trace);
  ReadRequest request;
  request.settings = command.settings;
  request.propsFile = command.propsFile;
#ifndef TRAVIMO_NO_ARCHIVE
  request.archive = command.archive;
#endif
  request.device = device;
  request.rememberDevice = named;
  const int status = RunRead(session, request, command.output, console);
  session.ReportTrace(console.err);
  return status;
}

}  // namespace travimo::cli
