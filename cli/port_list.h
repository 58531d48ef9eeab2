#pragma once
// The serial devices on this machine and the CommPort number that reaches each.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace travimo::cli {

struct SerialDeviceEntry {
  std::string path;                 // as found: /dev/ttyUSB0, /dev/serial/by-id/...
  std::string target;               // where a link leads; empty for the device itself
  std::optional<int16_t> commPort;  // the port number whose device is this one
};

// Ports 1..kHighestPort are tried against the resolver.
inline constexpr int16_t kHighestPort = 255;

// Looks in devRoot (normally "/dev") for ttyS*, ttyUSB*, ttyACM* and serial/by-id/*.
// deviceFor is the serial backend's resolver from port number to device path.
std::vector<SerialDeviceEntry> ListSerialDevices(
    const std::string& devRoot, const std::function<std::string(int16_t)>& deviceFor);

}  // namespace travimo::cli
