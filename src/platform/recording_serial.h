#pragma once
// A serial backend that keeps a copy of every byte its connections receive,
// so that what arrived can still be kept when a read is stopped at once or
// its outputs cannot be written.
#include <memory>
#include <string>

#include <travimo/platform/serial_backend.h>

namespace travimo {

class RecordingSerial : public SerialBackend {
 public:
  explicit RecordingSerial(SerialBackend& inner) : inner_(inner) {}

  std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) override;
  std::string DeviceFor(int16_t commPort) const override { return inner_.DeviceFor(commPort); }

  // Everything received since the last Open.
  const std::string& Received() const { return *received_; }
  const std::string& LastDevice() const { return device_; }

 private:
  SerialBackend& inner_;
  std::shared_ptr<std::string> received_ = std::make_shared<std::string>();
  std::string device_;
};

}  // namespace travimo
