#pragma once
// The serial backend on the Win32 communications API. Receive notification
// comes from WaitCommEvent where the driver supports it; where it does not, a
// pending read that ends after a pause in the data stands in for it.
#include <functional>
#include <string>

#include <travimo/platform/serial_backend.h>
#include "platform/windows/win32.h"

namespace travimo::windows {

using ::travimo::PortResolver;

// Port N is \\.\COMN: the device namespace reaches every number, 10 and above too.
std::string DefaultDeviceFor(int16_t commPort);

// The line description for SetCommState: speed, framing, flow control, the
// modem lines while open, the parity replacement character; nulls are kept.
void ApplyLineOptions(DCB& dcb, const PortOptions& options);

class Win32Backend : public SerialBackend {
 public:
  explicit Win32Backend(PortResolver resolver = DefaultDeviceFor);

  std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) override;
  std::string DeviceFor(int16_t commPort) const override;

 private:
  PortResolver resolver_;
};

}  // namespace travimo::windows
