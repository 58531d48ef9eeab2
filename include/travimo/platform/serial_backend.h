#pragma once
// The operating system's side of the serial component: opening a device and
// moving bytes. MSComm keeps the properties and the receive buffer; a backend
// only knows the open line.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include <travimo/platform/line_settings.h>

namespace travimo {

// The device a port number stands for; each platform has its default.
using PortResolver = std::function<std::string(int16_t commPort)>;

struct PortOptions {
  LineSettings line;
  int32_t handshaking = 0;  // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both
  bool dtrEnable = true;
  bool rtsEnable = false;
  bool nullDiscard = false;
  std::string parityReplace = "?";
  // The driver's queue sizes, where the operating system lets them be chosen.
  int16_t inBufferSize = 1024;
  int16_t outBufferSize = 512;
};

struct ReadOutcome {
  size_t count = 0;      // bytes placed in the buffer
  bool hungUp = false;   // the far end closed or the device vanished
  std::string problem;   // why, when hungUp
};

class SerialConnection {
 public:
  virtual ~SerialConnection() = default;  // closes the device
  virtual int PollDescriptor() const = 0;  // -1 for a connection without one
  // Never blocks: takes what is waiting, up to into.size() bytes.
  virtual ReadOutcome Read(std::span<uint8_t> into) = 0;
  // Fails with a RuntimeError when the line is gone.
  virtual void Write(std::span<const uint8_t> bytes) = 0;
  virtual void SetModemLines(bool dtr, bool rts) = 0;
  virtual std::string DeviceName() const = 0;
};

class SerialBackend {
 public:
  virtual ~SerialBackend() = default;
  // Fails with 8002 (ComportError) and a description naming the device when
  // the port does not exist or is in use.
  virtual std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) = 0;
  // The device a port number stands for, for messages.
  virtual std::string DeviceFor(int16_t commPort) const = 0;
};

}  // namespace travimo
