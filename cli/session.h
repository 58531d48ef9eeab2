#pragma once
// The control on the real POSIX host services, file system and serial
// backend, with the tool's container around it and an optional trace of the
// serial traffic.
#include <memory>
#include <ostream>
#include <string>

#include "cli/cli_container.h"
#include "control/travimo.h"
#include "platform/posix/device_backend.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/trace_file.h"
#include "platform/serial_trace.h"

namespace travimo::cli {

class ControlSession {
 public:
  // tracePath: empty for no trace, "-" for standard error. A trace file that
  // cannot be opened fails here, before any port is touched.
  explicit ControlSession(posix::PortResolver resolver = posix::DefaultDeviceFor,
                          const std::string& tracePath = {});
  ControlSession(const ControlSession&) = delete;
  ControlSession& operator=(const ControlSession&) = delete;

  Travimo& Control() { return *control_; }
  posix::PosixHost& Host() { return host_; }
  CliContainer& Site() { return container_; }
  // Says so when the trace stopped being written part-way.
  void ReportTrace(std::ostream& err) const;

 private:
  posix::PosixHost host_;
  posix::PosixFileSystem files_;
  posix::DeviceBackend serial_;
  std::unique_ptr<posix::TraceFile> trace_;
  TracingBackend traced_;
  CliContainer container_;
  std::unique_ptr<Travimo> control_;
};

// A resolver that sends every port number to one device.
posix::PortResolver FixedDevice(std::string path);

}  // namespace travimo::cli
