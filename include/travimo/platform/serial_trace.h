#pragma once
// A record of a serial line's traffic, for diagnosing a problem in the field:
// every open, write, read, modem-line change, hang-up, close and failure. It
// decorates any backend; with no sink attached a connection is handed out
// undecorated, so tracing off costs nothing per byte.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <travimo/platform/serial_backend.h>

namespace travimo {

// Where the events go. Each call is one whole event, kept at once, so that a
// crash leaves everything before it.
class TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual void Record(std::string_view event) = 0;
};

// The texts of the events, shared by the decorator and the simulator's side.
namespace trace_text {
std::string Open(std::string_view port, const PortOptions& options);
// "read 3 bytes" and then rows of hex with the printable text beside them.
std::string Bytes(std::string_view what, std::span<const uint8_t> bytes);
std::string ModemLines(bool dtr, bool rts);
std::string Error(int32_t number, std::string_view description);
}  // namespace trace_text

class TracingBackend : public SerialBackend {
 public:
  explicit TracingBackend(SerialBackend& inner, TraceSink* sink = nullptr)
      : inner_(inner), sink_(sink) {}

  // Takes effect at the next open; nullptr turns tracing off.
  void Attach(TraceSink* sink) { sink_ = sink; }
  TraceSink* Sink() const { return sink_; }

  std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) override;
  std::string DeviceFor(int16_t commPort) const override { return inner_.DeviceFor(commPort); }

 private:
  SerialBackend& inner_;
  TraceSink* sink_;
};

}  // namespace travimo
