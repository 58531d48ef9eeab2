#pragma once
// Serial lines behind a device server on the network: socket://HOST:PORT, a
// raw byte stream, and rfc2217://HOST:PORT, Telnet with the COM port option.
// Every wait is bounded, so a server that never answers is an error, not a hang.
#include <memory>
#include <string>

#include "platform/device_address.h"
#include <travimo/platform/serial_backend.h>

namespace travimo::posix {

struct NetworkWaits {
  int connectMs = 5000;
  int negotiateMs = 3000;  // the COM port option and the answers to the settings
  int writeMs = 2000;      // as long as a local line may hold off a write
};

// Fails with 8002 naming host:port and the reason when the server cannot be
// reached or does not speak the COM port option, and with 380 when it
// refuses a setting. label names the port in messages ("COM1 (rfc2217://...)").
std::unique_ptr<SerialConnection> OpenNetworkLine(const DeviceAddress& address,
                                                  const std::string& device,
                                                  const std::string& label,
                                                  const PortOptions& options,
                                                  const NetworkWaits& waits = {});

}  // namespace travimo::posix
