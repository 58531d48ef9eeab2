#pragma once
// The control on the real POSIX host services, file system and termios
// serial backend, with the tool's container around it.
#include <memory>
#include <string>

#include "cli/cli_container.h"
#include "control/travimo.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/termios_serial.h"

namespace travimo::cli {

class ControlSession {
 public:
  explicit ControlSession(posix::PortResolver resolver = posix::DefaultDeviceFor);
  ControlSession(const ControlSession&) = delete;
  ControlSession& operator=(const ControlSession&) = delete;

  Travimo& Control() { return *control_; }
  posix::PosixHost& Host() { return host_; }
  CliContainer& Site() { return container_; }

 private:
  posix::PosixHost host_;
  posix::PosixFileSystem files_;
  posix::TermiosBackend serial_;
  CliContainer container_;
  std::unique_ptr<Travimo> control_;
};

// A resolver that sends every port number to one device.
posix::PortResolver FixedDevice(std::string path);

}  // namespace travimo::cli
