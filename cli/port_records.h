#pragma once
// The serial ports of this machine as the system's device manager describes
// them, and what the tool does with that description: leaving out ports with
// nothing behind them, listing them, and finding the one a usb: or
// serial-number: device name stands for. The lister itself is per platform.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace travimo::cli {

struct PortRecord {
  std::string device;  // /dev/ttyUSB0
  std::string byId;    // /dev/serial/by-id/...; empty when there is none
  std::string driver;  // ftdi_sio, cdc_acm, serial8250
  std::string vendorId, productId;  // four lower-case hex digits for USB adapters
  std::string manufacturer, product, serialNumber;
  // False for a UART port whose chip is unknown: the kernel made the node, no hardware answers.
  bool uartPresent = true;
  std::optional<int16_t> commPort;
  std::map<std::string, std::string> details;  // every property the lister saw, for -v
};

// The ports worth showing, sorted by device (ttyS2 before ttyS10).
std::vector<PortRecord> PresentPorts(std::vector<PortRecord> records);

// Gives each record the CommPort number whose device is its device or its by-id link.
void AssignCommPorts(std::vector<PortRecord>& records,
                     const std::function<std::string(int16_t)>& deviceFor);

void WritePortTable(const std::vector<PortRecord>& records, bool verbose, std::ostream& out);
void WritePortJson(const std::vector<PortRecord>& records, bool verbose, std::ostream& out);

// A device name that stands for an adapter rather than a path.
struct PortAlias {
  std::string vendorId, productId, serialNumber;  // any may be empty: not asked about
  std::string problem;                            // why the text is malformed
};

// usb:VID:PID[:SERIAL] or serial-number:TEXT; nullopt for any other device text.
std::optional<PortAlias> ParsePortAlias(const std::string& device);
std::vector<PortRecord> MatchingPorts(const std::vector<PortRecord>& records,
                                      const PortAlias& alias);
// The device path of the one port the alias (given as text) matches; throws
// RuntimeError 8002 naming the text when it is malformed or matches none or several.
std::string ResolvePortAlias(const std::string& text, const PortAlias& alias,
                             const std::vector<PortRecord>& records);

// The ports the system knows right now (udev here, the registry on Windows).
std::vector<PortRecord> ListPorts();

}  // namespace travimo::cli
