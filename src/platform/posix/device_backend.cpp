#include "platform/posix/device_backend.h"

#include <iostream>

#include "platform/device_address.h"
#include <travimo/platform/line_settings.h>

namespace travimo::posix {

namespace {

// What a device server's raw port is usually set to.
const LineSettings kServerDefaults{};

}  // namespace

DeviceBackend::DeviceBackend(PortResolver resolver, Notice notice, NetworkWaits waits)
    : resolver_(std::move(resolver)), notice_(std::move(notice)), waits_(waits) {
  if (!notice_) notice_ = [](const std::string& text) { std::cerr << "travimo: " << text << '\n'; };
}

std::string DeviceBackend::DeviceFor(int16_t commPort) const {
  return resolver_(commPort);
}

std::unique_ptr<SerialConnection> DeviceBackend::Open(int16_t commPort,
                                                      const PortOptions& options) {
  const std::string device = DeviceFor(commPort);
  const DeviceAddress address = ParseDeviceAddress(device);
  if (address.transport == Transport::Local) {
    return TermiosBackend([device](int16_t) { return device; }).Open(commPort, options);
  }
  if (address.transport == Transport::Socket) TellOfIgnoredSettings(device, options);
  const std::string label = "COM" + std::to_string(commPort) + " (" + device + ")";
  return OpenNetworkLine(address, device, label, options, waits_);
}

void DeviceBackend::TellOfIgnoredSettings(const std::string& device, const PortOptions& options) {
  if (told_ || options.line == kServerDefaults) return;
  told_ = true;
  notice_(device + " is a raw TCP port and cannot carry the line settings " +
          FormatLineSettings(options.line) +
          "; the server's own settings apply (rfc2217:// sends them)");
}

}  // namespace travimo::posix
