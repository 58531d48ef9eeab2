#pragma once
// The serial backend over POSIX termios. Port numbers become device paths
// through a resolver the host supplies, so a port may be any tty, a
// pseudo-terminal included.
#include <functional>
#include <string>

#include "platform/posix/uucp_lock.h"
#include <travimo/platform/serial_backend.h>

struct termios;

namespace travimo::posix {

// Raw mode with the data bits, parity, stop bits and flow control of the
// options; the speed is set separately.
void ApplyLineOptions(termios& tty, const PortOptions& options);

using ::travimo::PortResolver;

// Port N is /dev/ttyS{N-1}.
std::string DefaultDeviceFor(int16_t commPort);

class TermiosBackend : public SerialBackend {
 public:
  // Lock files go to lockDirectory; an empty one takes and honours none.
  explicit TermiosBackend(PortResolver resolver = DefaultDeviceFor,
                          std::string lockDirectory = DefaultLockDirectory());

  // Opens exclusively (the lock file, flock and the tty's exclusive mode), in
  // raw mode, with the line settings, flow control and modem lines of the options.
  std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) override;
  std::string DeviceFor(int16_t commPort) const override;

 private:
  PortResolver resolver_;
  std::string lockDirectory_;
};

}  // namespace travimo::posix
