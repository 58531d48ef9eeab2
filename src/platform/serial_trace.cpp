#include <travimo/platform/serial_trace.h>

#include <algorithm>

#include <travimo/model/error.h>

namespace travimo {

namespace trace_text {

namespace {

constexpr size_t kBytesPerRow = 16;

const char* HandshakingName(int32_t handshaking) {
  switch (handshaking) {
    case 0:
      return "none";
    case 1:
      return "XON/XOFF";
    case 2:
      return "RTS/CTS";
    case 3:
      return "RTS/CTS and XON/XOFF";
    default:
      return "unknown";
  }
}

const char* OnOff(bool on) {
  return on ? "on" : "off";
}

void AppendRow(std::string& text, std::span<const uint8_t> row) {
  static constexpr char kDigits[] = "0123456789abcdef";
  text += "\n   ";
  for (size_t i = 0; i < kBytesPerRow; ++i) {
    if (i < row.size()) {
      text += ' ';
      text += kDigits[row[i] >> 4];
      text += kDigits[row[i] & 0x0F];
    } else {
      text += "   ";
    }
  }
  text += "  |";
  for (const uint8_t byte : row)
    text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
  text += '|';
}

}  // namespace

std::string Open(std::string_view port, const PortOptions& options) {
  return "open " + std::string(port) + " settings " + FormatLineSettings(options.line) +
         " handshaking " + std::to_string(options.handshaking) + " (" +
         HandshakingName(options.handshaking) + ") " +
         ModemLines(options.dtrEnable, options.rtsEnable);
}

std::string Bytes(std::string_view what, std::span<const uint8_t> bytes) {
  std::string text(what);
  text += ' ' + std::to_string(bytes.size()) + (bytes.size() == 1 ? " byte" : " bytes");
  for (size_t from = 0; from < bytes.size(); from += kBytesPerRow) {
    AppendRow(text, bytes.subspan(from, std::min(kBytesPerRow, bytes.size() - from)));
  }
  return text;
}

std::string ModemLines(bool dtr, bool rts) {
  return std::string("DTR ") + OnOff(dtr) + " RTS " + OnOff(rts);
}

std::string Error(int32_t number, std::string_view description) {
  return "error " + std::to_string(number) + ": " + std::string(description);
}

}  // namespace trace_text

namespace {

class TracingConnection : public SerialConnection {
 public:
  TracingConnection(std::unique_ptr<SerialConnection> inner, TraceSink& sink)
      : inner_(std::move(inner)), sink_(sink) {}
  ~TracingConnection() override {
    const std::string device = inner_->DeviceName();
    inner_.reset();
    sink_.Record("close " + device);
  }
  TracingConnection(const TracingConnection&) = delete;
  TracingConnection& operator=(const TracingConnection&) = delete;

  int PollDescriptor() const override { return inner_->PollDescriptor(); }

  ReadOutcome Read(std::span<uint8_t> into) override {
    const ReadOutcome outcome = inner_->Read(into);
    if (outcome.count > 0) sink_.Record(trace_text::Bytes("read", into.first(outcome.count)));
    if (outcome.hungUp) sink_.Record("hang-up: " + outcome.problem);
    return outcome;
  }

  void Write(std::span<const uint8_t> bytes) override {
    sink_.Record(trace_text::Bytes("write", bytes));
    try {
      inner_->Write(bytes);
    } catch (const RuntimeError& error) {
      sink_.Record(trace_text::Error(error.Number(), error.Description()));
      throw;
    }
  }

  void SetModemLines(bool dtr, bool rts) override {
    sink_.Record("modem lines " + trace_text::ModemLines(dtr, rts));
    inner_->SetModemLines(dtr, rts);
  }

  std::string DeviceName() const override { return inner_->DeviceName(); }

 private:
  std::unique_ptr<SerialConnection> inner_;
  TraceSink& sink_;
};

}  // namespace

std::unique_ptr<SerialConnection> TracingBackend::Open(int16_t commPort,
                                                       const PortOptions& options) {
  if (sink_ == nullptr) return inner_.Open(commPort, options);
  TraceSink& sink = *sink_;
  // The port number, not its device: a host's resolver may be costly or
  // counted, and the opened connection names the device anyway.
  sink.Record(trace_text::Open("COM" + std::to_string(commPort), options));
  try {
    auto connection = std::make_unique<TracingConnection>(inner_.Open(commPort, options), sink);
    sink.Record("opened " + connection->DeviceName());
    return connection;
  } catch (const RuntimeError& error) {
    sink.Record(trace_text::Error(error.Number(), error.Description()));
    throw;
  }
}

}  // namespace travimo
