#pragma once
// A serial backend in memory, driven by the VirtualHost's clock. A script says
// what the instrument sends after each open (bytes at delays, hang-ups), and
// everything written to the port is captured.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <travimo/platform/serial_backend.h>
#include "virtual_host.h"

namespace travimo::testing {

class ScriptedSerial : public SerialBackend {
 public:
  explicit ScriptedSerial(VirtualHost& host);
  ~ScriptedSerial() override;

  std::unique_ptr<SerialConnection> Open(int16_t commPort, const PortOptions& options) override;
  std::string DeviceFor(int16_t commPort) const override {
    return "COM" + std::to_string(commPort);
  }

  // Script, relative to the moment of the next open (and every open after it
  // until Clear()): bytes become readable `delay` seconds after the open.
  void SendAfterOpen(double delay, std::string bytes) {
    script_.push_back({delay, std::move(bytes), false});
  }
  // The line hangs up `delay` seconds after the open.
  void HangUpAfterOpen(double delay) { script_.push_back({delay, {}, true}); }
  // Opening fails with 8002 (device missing or busy).
  void FailOpen(bool fail) { failOpen_ = fail; }
  void Clear() { script_.clear(); }

  // Observation.
  const std::string& Written() const { return written_; }
  int OpenCount() const { return openCount_; }
  bool IsOpen() const { return open_ != nullptr; }
  const PortOptions& LastOptions() const { return lastOptions_; }
  int16_t LastPort() const { return lastPort_; }

 private:
  class Connection;
  struct Step {
    double delay;
    std::string bytes;
    bool hangUp;
  };

  VirtualHost& host_;
  std::vector<Step> script_;
  Connection* open_ = nullptr;
  bool failOpen_ = false;
  std::string written_;
  int openCount_ = 0;
  PortOptions lastOptions_;
  int16_t lastPort_ = 0;
};

}  // namespace travimo::testing
