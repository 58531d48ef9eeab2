#pragma once
// The serial backend the hosts use: the device a port number stands for
// chooses the transport. A path is a local serial device (termios),
// socket://HOST:PORT a raw TCP stream and rfc2217://HOST:PORT a device
// server that takes line settings (see device_address.h).
#include <functional>
#include <string>

#include "platform/posix/network_serial.h"
#include "platform/posix/termios_serial.h"

namespace travimo::posix {

class DeviceBackend : public SerialBackend {
 public:
  // Told once when a raw socket cannot carry the line settings asked for;
  // without one, the notice goes to standard error.
  using Notice = std::function<void(const std::string&)>;

  explicit DeviceBackend(PortResolver resolver = DefaultDeviceFor, Notice notice = {},
                         NetworkWaits waits = {});

  std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) override;
  std::string DeviceFor(int16_t commPort) const override;

 private:
  void TellOfIgnoredSettings(const std::string& device, const PortOptions& options);

  PortResolver resolver_;
  Notice notice_;
  NetworkWaits waits_;
  bool told_ = false;
};

}  // namespace travimo::posix
