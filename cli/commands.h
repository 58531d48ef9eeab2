#pragma once
// The tool's commands, each returning its exit status.
#include <optional>
#include <string>

#include "cli/console.h"
#ifndef TRAVIMO_NO_ARCHIVE
#include "cli/archive_commands.h"
#endif
#include "cli/control_settings.h"
#include "cli/emit.h"
#include "formats/dispatch.h"

namespace travimo::cli {

struct ReadCommand {
  ControlSettings settings;
  std::string device;  // empty: the port number's own device
  std::string propsFile;
  std::string trace;  // the serial traffic goes here; "-" is stderr
  OutputOptions output;
#ifndef TRAVIMO_NO_ARCHIVE
  ArchiveOptions archive;
#endif
};

struct DemoCommand {
  int32_t type = 1;  // TravimoTypeEnum
  int scans = 3;
  ControlSettings settings;  // type excluded: the simulated instrument decides
  std::string trace;
  OutputOptions output;
#ifndef TRAVIMO_NO_ARCHIVE
  ArchiveOptions archive;
#endif
};

struct SimulateCommand {
  int32_t type = 1;
  int scans = 3;
  std::string link;  // a symbolic link to the device, made while it runs
  std::string trace;  // the simulator's side of the traffic
  std::string listen;  // [HOST:]PORT to serve the device over raw TCP as well
};

struct ParseCommand {
  std::string file;
  std::optional<TransferKind> force;  // a parser chosen regardless of the text
  ControlSettings settings;
  OutputOptions output;
#ifndef TRAVIMO_NO_ARCHIVE
  ArchiveOptions archive;  // off unless asked for
#endif
};

struct PortsCommand {
  bool verbose = false;  // every property the system reports
  bool json = false;
};

int RunReadCommand(const ReadCommand& command, Console& console);
int RunDemoCommand(const DemoCommand& command, Console& console);
int RunSimulateCommand(const SimulateCommand& command, Console& console);
int RunParseCommand(const ParseCommand& command, Console& console);
int RunPortsCommand(const PortsCommand& command, Console& console);
int RunDescribeCommand(Console& console);
int RunAboutCommand(Console& console);

}  // namespace travimo::cli
