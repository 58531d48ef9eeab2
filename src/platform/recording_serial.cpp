#include "platform/recording_serial.h"

namespace travimo {

namespace {

class RecordingConnection : public SerialConnection {
 public:
  RecordingConnection(std::unique_ptr<SerialConnection> inner, std::shared_ptr<std::string> into)
      : inner_(std::move(inner)), into_(std::move(into)) {}

  int PollDescriptor() const override { return inner_->PollDescriptor(); }
  ReadOutcome Read(std::span<uint8_t> into) override {
    const ReadOutcome outcome = inner_->Read(into);
    into_->append(reinterpret_cast<const char*>(into.data()), outcome.count);
    return outcome;
  }
  void Write(std::span<const uint8_t> bytes) override { inner_->Write(bytes); }
  void SetModemLines(bool dtr, bool rts) override { inner_->SetModemLines(dtr, rts); }
  std::string DeviceName() const override { return inner_->DeviceName(); }

 private:
  std::unique_ptr<SerialConnection> inner_;
  std::shared_ptr<std::string> into_;
};

}  // namespace

std::unique_ptr<SerialConnection> RecordingSerial::Open(int16_t commPort,
                                                        const PortOptions& options) {
  auto connection = inner_.Open(commPort, options);
  received_->clear();
  device_ = connection->DeviceName();
  return std::make_unique<RecordingConnection>(std::move(connection), received_);
}

}  // namespace travimo
