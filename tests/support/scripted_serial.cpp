#include "scripted_serial.h"

#include <algorithm>
#include <map>

#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>

namespace travimo::testing {

class ScriptedSerial::Connection : public SerialConnection {
 public:
  Connection(ScriptedSerial& backend, std::string device) : backend_(&backend), device_(device) {
    const double openedAt = backend.host_.MonotonicSeconds();
    for (const auto& step : backend.script_) {
      pending_.emplace(openedAt + step.delay, step);  // equal times keep their order
      backend.host_.At(openedAt + step.delay, [] {});
    }
  }
  ~Connection() override {
    if (backend_) backend_->open_ = nullptr;
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int PollDescriptor() const override { return -1; }

  ReadOutcome Read(std::span<uint8_t> into) override {
    ReleaseDueSteps();
    ReadOutcome outcome;
    outcome.count = std::min(into.size(), readable_.size());
    std::copy_n(readable_.begin(), outcome.count, into.begin());
    readable_.erase(0, outcome.count);
    if (hungUp_ && readable_.empty()) {
      outcome.hungUp = true;
      outcome.problem = "the line to " + device_ + " hung up";
    }
    return outcome;
  }

  void Write(std::span<const uint8_t> bytes) override {
    ReleaseDueSteps();
    if (hungUp_) {
      throw RuntimeError(CommError::WriteFailed, "MSComm",
                         "Cannot write to " + device_ + ": the line hung up");
    }
    if (backend_) backend_->written_.append(bytes.begin(), bytes.end());
  }

  void SetModemLines(bool, bool) override {}
  std::string DeviceName() const override { return device_; }

  void Detach() { backend_ = nullptr; }

 private:
  // Nothing follows a hang-up.
  void ReleaseDueSteps() {
    const double now = backend_ ? backend_->host_.MonotonicSeconds() : 1e300;
    for (auto step = pending_.begin();
         step != pending_.end() && step->first <= now + 1e-9 && !hungUp_;
         step = pending_.erase(step)) {
      readable_ += step->second.bytes;
      hungUp_ = step->second.hangUp;
    }
  }

  ScriptedSerial* backend_;
  std::string device_;
  std::multimap<double, Step> pending_;  // by the time they are due
  std::string readable_;
  bool hungUp_ = false;
};

ScriptedSerial::ScriptedSerial(VirtualHost& host) : host_(host) {}

ScriptedSerial::~ScriptedSerial() {
  if (open_) open_->Detach();
}

std::unique_ptr<SerialConnection> ScriptedSerial::Open(int16_t commPort,
                                                       const PortOptions& options) {
  const std::string device = DeviceFor(commPort);
  if (failOpen_) {
    throw RuntimeError(CommError::PortInvalid, "MSComm",
                       "Cannot open " + device + ": no such device");
  }
  if (open_) {
    throw RuntimeError(CommError::PortInvalid, "MSComm", "Cannot open " + device + ": port in use");
  }
  ++openCount_;
  lastOptions_ = options;
  lastPort_ = commPort;
  auto connection = std::make_unique<Connection>(*this, device);
  open_ = connection.get();
  return connection;
}

}  // namespace travimo::testing
