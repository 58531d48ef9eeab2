#include <travimo/platform/ms_comm.h>

#include <algorithm>
#include <array>
#include <vector>

#include <travimo/model/error.h>
#include <travimo/platform/line_settings.h>

namespace travimo {

namespace {

constexpr const char* kSource = "MSComm";
constexpr uint8_t kEofCharacter = 26;

[[noreturn]] void Fail(int32_t number, const std::string& description) {
  throw RuntimeError(number, kSource, description);
}

void RequireRange(int32_t value, int32_t low, int32_t high, const char* property) {
  if (value < low || value > high) {
    Fail(ErrorNumber::InvalidPropertyValue,
         std::string("Invalid ") + property + " value " + std::to_string(value));
  }
}

// Stands in for a line that hung up: the port still counts as open until the
// control closes it, but the device itself is already released.
class LostLine : public SerialConnection {
 public:
  explicit LostLine(std::string device) : device_(std::move(device)) {}
  int PollDescriptor() const override { return -1; }
  ReadOutcome Read(std::span<uint8_t>) override { return {0, true, "the line is gone"}; }
  void Write(std::span<const uint8_t>) override {
    Fail(CommError::WriteFailed, "Cannot write to " + device_ + ": the line is gone");
  }
  void SetModemLines(bool, bool) override {}
  std::string DeviceName() const override { return device_; }

 private:
  std::string device_;
};

}  // namespace

MSComm::MSComm(HostServices& host, SerialBackend& backend)
    : backend_(backend), registration_(host.AddSource(*this)) {}

MSComm::~MSComm() = default;

void MSComm::CommPort(int16_t value) {
  if (value == commPort_) return;
  if (PortOpen()) Fail(CommError::PortAlreadyOpen, "Port already open");
  RequireRange(value, 1, INT16_MAX, "CommPort");
  commPort_ = value;
}

void MSComm::Settings(const std::string& value) {
  const LineSettings wanted = ParseLineSettings(value);
  // An open line keeps the settings it was opened with; refuse rather than
  // pretend a change took effect.
  if (PortOpen() && wanted != ParseLineSettings(settings_)) {
    Fail(CommError::PortAlreadyOpen, "Port already open");
  }
  settings_ = value;
}

void MSComm::Handshaking(int32_t value) {
  RequireRange(value, 0, 3, "Handshaking");
  if (PortOpen() && value != handshaking_) Fail(CommError::PortAlreadyOpen, "Port already open");
  handshaking_ = value;
}

void MSComm::DTREnable(bool value) {
  dtrEnable_ = value;
  if (PortOpen()) connection_->SetModemLines(dtrEnable_, rtsEnable_);
}

void MSComm::RTSEnable(bool value) {
  rtsEnable_ = value;
  if (PortOpen()) connection_->SetModemLines(dtrEnable_, rtsEnable_);
}

void MSComm::InBufferSize(int16_t value) {
  if (PortOpen()) Fail(CommError::PortAlreadyOpen, "Port already open");
  RequireRange(value, 1, INT16_MAX, "InBufferSize");
  inBufferSize_ = value;
}

void MSComm::OutBufferSize(int16_t value) {
  if (PortOpen()) Fail(CommError::PortAlreadyOpen, "Port already open");
  RequireRange(value, 1, INT16_MAX, "OutBufferSize");
  outBufferSize_ = value;
}

void MSComm::InputLen(int16_t value) {
  RequireRange(value, 0, INT16_MAX, "InputLen");
  inputLen_ = value;
}

void MSComm::InputMode(int32_t value) {
  RequireRange(value, 0, 1, "InputMode");
  inputMode_ = value;
}

void MSComm::PortOpen(bool open) {
  if (!open) {
    connection_.reset();
    received_.clear();
    lineLost_ = false;
    lineProblem_.clear();
    unreported_ = eofArrived_ = false;
    return;
  }
  if (PortOpen()) Fail(CommError::PortAlreadyOpen, "Port already open");
  PortOptions options;
  options.line = ParseLineSettings(settings_);
  options.handshaking = handshaking_;
  options.dtrEnable = dtrEnable_;
  options.rtsEnable = rtsEnable_;
  options.nullDiscard = nullDiscard_;
  options.parityReplace = parityReplace_;
  options.inBufferSize = inBufferSize_;
  options.outBufferSize = outBufferSize_;
  connection_ = backend_.Open(commPort_, options);
  received_.clear();
  lineLost_ = false;
  lineProblem_.clear();
  unreported_ = eofArrived_ = false;
}

void MSComm::Output(const std::string& text) {
  RaiseIfClosed();
  if (lineLost_) Fail(CommError::ReadFailed, lineProblem_);
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  connection_->Write(bytes);
}

std::string MSComm::Input() {
  RaiseIfClosed();
  Drain();
  RaiseIfLineLost();
  const size_t count =
      inputLen_ > 0 ? std::min<size_t>(inputLen_, received_.size()) : received_.size();
  std::string text(received_.begin(), received_.begin() + static_cast<ptrdiff_t>(count));
  received_.erase(received_.begin(), received_.begin() + static_cast<ptrdiff_t>(count));
  return text;
}

int16_t MSComm::InBufferCount() {
  // A closed port has an empty buffer; the container reads this when saving.
  if (!PortOpen()) return 0;
  Drain();
  RaiseIfLineLost();
  return static_cast<int16_t>(received_.size());
}

void MSComm::InBufferCount(int16_t value) {
  if (value == 0) received_.clear();
}

std::string MSComm::DeviceName() const {
  if (connection_) return connection_->DeviceName();
  return backend_.DeviceFor(commPort_);
}

int MSComm::PollDescriptor() const {
  // A full buffer takes nothing more, so waiting on the line would only spin.
  if (!connection_ || received_.size() >= static_cast<size_t>(inBufferSize_)) return -1;
  return connection_->PollDescriptor();
}

void MSComm::Service() {
  if (!connection_) return;
  Drain();
  if (rThreshold_ > 0 && unreported_ && received_.size() >= static_cast<size_t>(rThreshold_)) {
    unreported_ = false;
    Raise(CommEventCode::Receive);
  }
  if (eofArrived_) {
    eofArrived_ = false;
    if (eofEnable_) Raise(CommEventCode::EndOfFile);
  }
}

void MSComm::Raise(int16_t event) {
  commEvent_ = event;
  if (onComm_) onComm_();
}

// Takes from the line what fits into the receive buffer; the rest stays with
// the operating system until there is room.
void MSComm::Drain() {
  if (!connection_ || lineLost_) return;
  std::array<uint8_t, 4096> chunk{};
  while (received_.size() < static_cast<size_t>(inBufferSize_)) {
    const size_t room = std::min(chunk.size(), inBufferSize_ - received_.size());
    const ReadOutcome outcome = connection_->Read(std::span(chunk.data(), room));
    for (size_t i = 0; i < outcome.count; ++i) {
      if (nullDiscard_ && chunk[i] == 0) continue;
      if (chunk[i] == kEofCharacter) eofArrived_ = true;
      received_.push_back(chunk[i]);
      unreported_ = true;
    }
    if (outcome.hungUp) {
      LoseLine(outcome.problem);
      return;
    }
    if (outcome.count < room) return;
  }
}

// The descriptor goes at once: a hung-up line would otherwise keep every
// poll awake. What was received stays readable.
void MSComm::LoseLine(std::string problem) {
  const std::string device = connection_->DeviceName();
  connection_ = std::make_unique<LostLine>(device);
  lineLost_ = true;
  lineProblem_ = "Lost the line to " + device + (problem.empty() ? "" : ": " + problem);
}

void MSComm::RaiseIfLineLost() {
  if (lineLost_ && received_.empty()) Fail(CommError::ReadFailed, lineProblem_);
}

void MSComm::RaiseIfClosed() const {
  if (!PortOpen()) {
    Fail(CommError::PortNotOpen, "Operation valid only when the port is open");
  }
}

}  // namespace travimo
